// ICU's C API from the system's ICU, loaded at run time on the first name
// that needs it. The types and the versioned names of its functions come
// from ICU's headers; where the library cannot be loaded, the conversion
// falls back to IDNA2003 as on a Windows without ICU, and that fails with
// the loader's text.

#include "base/idn/idna_platform.h"

#include <unicode/uidna.h>
#include <unicode/ustring.h>
#include <unicode/utypes.h>

#include "base/idn/os_version.h"
#include "base/idn/system_icu_posix.h"
#include "base/system/dynamic_library.h"
#include "base/text/convert.h"

// The exported name of an ICU function: ICU's headers rename each one to
// carry the library's version ("u_errorName_72").
#define WC_ICU_EXPORTED_NAME(function) WC_ICU_QUOTED(function)
#define WC_ICU_QUOTED(name) #name

namespace wc {

namespace {

// ICU marks the IDNA2003 call deprecated in favour of UTS #46; it stays for
// systems older than 6.2, whose own conversion is IDNA2003.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
struct IcuApi {
  decltype(&uidna_openUTS46) openUts46 = nullptr;
  decltype(&uidna_close) close = nullptr;
  decltype(&uidna_nameToUnicodeUTF8) nameToUnicodeUtf8 = nullptr;
  decltype(&u_errorName) errorName = nullptr;
  decltype(&uidna_IDNToUnicode) idnToUnicode = nullptr;
  decltype(&u_strFromUTF8WithSub) fromUtf8 = nullptr;
  decltype(&u_strToUTF8WithSub) toUtf8 = nullptr;
};
#pragma GCC diagnostic pop

template <class Function>
void take(Function& function, void* address) {
  function = reinterpret_cast<Function>(address);
}

struct IcuLoad {
  DynamicLibrary library;
  IcuApi api;
  std::optional<std::wstring> failure;

  IcuLoad() {
    std::vector<void*> found;
    failure = loadSystemLibrary(systemIcuLibraryFile(),
                                {WC_ICU_EXPORTED_NAME(uidna_openUTS46), WC_ICU_EXPORTED_NAME(uidna_close),
                                 WC_ICU_EXPORTED_NAME(uidna_nameToUnicodeUTF8), WC_ICU_EXPORTED_NAME(u_errorName),
                                 WC_ICU_EXPORTED_NAME(uidna_IDNToUnicode), WC_ICU_EXPORTED_NAME(u_strFromUTF8WithSub),
                                 WC_ICU_EXPORTED_NAME(u_strToUTF8WithSub)},
                                library, found);
    if (failure) return;
    take(api.openUts46, found[0]);
    take(api.close, found[1]);
    take(api.nameToUnicodeUtf8, found[2]);
    take(api.errorName, found[3]);
    take(api.idnToUnicode, found[4]);
    take(api.fromUtf8, found[5]);
    take(api.toUtf8, found[6]);
  }
};

// Loaded once and never unloaded: the cached UTS #46 instance may be closed
// as late as the process's exit, after the destructors of other statics.
const IcuLoad& icu() {
  static const IcuLoad& load = *new IcuLoad;
  return load;
}

}  // namespace

std::wstring systemIcuLibraryFile() { return L"libicuuc.so." + wstrLenient(U_ICU_VERSION_SHORT); }

std::optional<std::wstring> loadSystemLibrary(const std::wstring& file, const std::vector<std::string>& functions,
                                              DynamicLibrary& loaded, std::vector<void*>& addresses) {
  const auto failed = [&](uint32_t error) {
    loaded.unload();
    addresses.clear();
    return wstrLenient(DynamicLibrary::lastLoaderMessage()) + L" (Error code " + std::to_wstring(error) + L")";
  };
  addresses.clear();
  if (const uint32_t error = loaded.load(file)) return failed(error);
  for (const std::string& function : functions) {
    uint32_t error = 0;
    void* address = loaded.symbol(function, &error);
    if (!address) return failed(error);
    addresses.push_back(address);
  }
  return std::nullopt;
}

class Uts46Instance {
 public:
  explicit Uts46Instance(UIDNA* handle) : handle_(handle) {}
  UIDNA* handle() const { return handle_; }

 private:
  UIDNA* handle_;
};

void Uts46InstanceCloser::operator()(Uts46Instance* instance) const {
  icu().api.close(instance->handle());
  delete instance;
}

bool hasUts46() { return !icu().failure; }

Uts46InstancePtr openUts46(uint32_t options, int32_t& status) {
  const IcuLoad& load = icu();
  if (load.failure) {
    status = U_MISSING_RESOURCE_ERROR;
    return nullptr;
  }
  UErrorCode code = U_ZERO_ERROR;
  UIDNA* handle = load.api.openUts46(options, &code);
  status = code;
  if (U_FAILURE(code) || !handle) return nullptr;
  return Uts46InstancePtr(new Uts46Instance(handle));
}

Uts46Outcome uts46NameToUnicode(const Uts46Instance& instance, const std::string& name) {
  const IcuApi& api = icu().api;
  Uts46Outcome outcome;
  const auto convert = [&](std::string& out, UErrorCode& code) {
    UIDNAInfo info = UIDNA_INFO_INITIALIZER;
    const int32_t length = api.nameToUnicodeUtf8(instance.handle(), name.data(), static_cast<int32_t>(name.size()),
                                                 out.data(), static_cast<int32_t>(out.size()), &info, &code);
    outcome.errors = info.errors;
    return length;
  };
  std::string unicode(name.size() * 2 + 16, '\0');
  UErrorCode code = U_ZERO_ERROR;
  int32_t length = convert(unicode, code);
  if (code == U_BUFFER_OVERFLOW_ERROR) {
    unicode.resize(static_cast<size_t>(length));
    code = U_ZERO_ERROR;
    length = convert(unicode, code);
  }
  outcome.status = code;
  if (U_SUCCESS(code)) {
    unicode.resize(static_cast<size_t>(length));
    outcome.unicode = std::move(unicode);
  }
  return outcome;
}

// Without ICU every code's name is why it is missing.
std::wstring icuErrorName(int32_t status) {
  const IcuLoad& load = icu();
  if (load.failure) return *load.failure;
  return wstrLenient(load.api.errorName(static_cast<UErrorCode>(status)));
}

Idna2003Outcome idna2003NameToUnicode(const std::string& name, bool useStd3Rules) {
  Idna2003Outcome outcome;
  const IcuLoad& load = icu();
  if (load.failure) {
    outcome.failure = load.failure;
    return outcome;
  }
  const IcuApi& api = load.api;
  UErrorCode code = U_ZERO_ERROR;
  std::u16string source(name.size(), u'\0');
  int32_t sourceLength = 0;
  // Bytes that are no UTF-8 become U+FFFD, which the conversion then refuses.
  api.fromUtf8(source.data(), static_cast<int32_t>(source.size()), &sourceLength, name.data(),
               static_cast<int32_t>(name.size()), 0xFFFD, nullptr, &code);
  UChar buffer[256];
  int32_t length = 0;
  if (U_SUCCESS(code)) {
    length = api.idnToUnicode(source.data(), sourceLength, buffer, 256,
                              useStd3Rules ? UIDNA_USE_STD3_RULES : UIDNA_DEFAULT, nullptr, &code);
  }
  if (U_FAILURE(code)) {
    outcome.failure = icuErrorName(code);
    return outcome;
  }
  std::string unicode(static_cast<size_t>(length) * 3, '\0');
  int32_t unicodeLength = 0;
  api.toUtf8(unicode.data(), static_cast<int32_t>(unicode.size()), &unicodeLength, buffer, length, 0xFFFD, nullptr,
             &code);
  if (U_FAILURE(code)) {
    outcome.failure = icuErrorName(code);
    return outcome;
  }
  unicode.resize(static_cast<size_t>(unicodeLength));
  outcome.unicode = std::move(unicode);
  return outcome;
}

// No version record here: the answer is that of the first system whose own
// conversion follows UTS #46, as ICU does.
OsVersion operatingSystemVersion() { return {6, 2}; }

}  // namespace wc
