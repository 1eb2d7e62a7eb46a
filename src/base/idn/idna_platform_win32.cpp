// ICU's C API from the system's ICU (icu.dll, or icuuc.dll on the Windows 10
// versions before 1903), loaded at run time so that the program also runs
// where there is none; the IDNA2003 conversion is the system's IdnToUnicode.

#include "base/idn/idna_platform.h"

#include <windows.h>

#include "base/errors/os_error.h"
#include "base/idn/system_icu_win32.h"
#include "base/text/convert.h"
#include "base/text/unicode.h"

namespace wc {

namespace {

// The layout of ICU's UIDNAInfo (UBool is one byte).
struct IcuIdnaInfo {
  int16_t size;
  int8_t isTransitionalDifferent;
  int8_t reservedB3;
  uint32_t errors;
  int32_t reservedI2;
  int32_t reservedI3;
};

constexpr int32_t kIcuBufferOverflow = 15;  // U_BUFFER_OVERFLOW_ERROR

struct IcuApi {
  void*(__cdecl* openUts46)(uint32_t options, int32_t* status) = nullptr;
  void(__cdecl* close)(void* idna) = nullptr;
  int32_t(__cdecl* nameToUnicodeUtf8)(const void* idna, const char* name, int32_t length, char* dest, int32_t capacity,
                                      IcuIdnaInfo* info, int32_t* status) = nullptr;
  const char*(__cdecl* errorName)(int32_t status) = nullptr;
};

template <class Function>
bool resolve(HMODULE module, const char* name, Function& function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return function != nullptr;
}

// Loaded once; the library stays for the life of the process, since the
// cached UTS #46 instance may be closed as late as the process's exit.
const IcuApi* icuApi() {
  static const IcuApi* api = []() -> const IcuApi* {
    void* found = nullptr;
    if (!loadFirstSystemLibrary(systemIcuLibraryNames(),
                                {"uidna_openUTS46", "uidna_close", "uidna_nameToUnicodeUTF8", "u_errorName"}, found))
      return nullptr;
    HMODULE module = static_cast<HMODULE>(found);
    static IcuApi loaded;
    resolve(module, "uidna_openUTS46", loaded.openUts46);
    resolve(module, "uidna_close", loaded.close);
    resolve(module, "uidna_nameToUnicodeUTF8", loaded.nameToUnicodeUtf8);
    resolve(module, "u_errorName", loaded.errorName);
    return &loaded;
  }();
  return api;
}

}  // namespace

std::vector<std::wstring> systemIcuLibraryNames() { return {L"icu.dll", L"icuuc.dll"}; }

std::optional<size_t> loadFirstSystemLibrary(const std::vector<std::wstring>& names,
                                             const std::vector<const char*>& functions, void*& module) {
  for (size_t i = 0; i < names.size(); ++i) {
    // Only the system's own copy: none from the program's directory or the
    // current one.
    HMODULE candidate = LoadLibraryExW(names[i].c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!candidate) continue;
    bool complete = true;
    for (const char* function : functions) complete = complete && GetProcAddress(candidate, function) != nullptr;
    if (complete) {
      module = candidate;
      return i;
    }
    FreeLibrary(candidate);
  }
  return std::nullopt;
}

class Uts46Instance {
 public:
  explicit Uts46Instance(void* handle) : handle_(handle) {}
  void* handle() const { return handle_; }

 private:
  void* handle_;
};

void Uts46InstanceCloser::operator()(Uts46Instance* instance) const {
  icuApi()->close(instance->handle());
  delete instance;
}

bool hasUts46() { return icuApi() != nullptr; }

Uts46InstancePtr openUts46(uint32_t options, int32_t& status) {
  status = 0;
  void* handle = icuApi()->openUts46(options, &status);
  if (status > 0 || !handle) return nullptr;
  return Uts46InstancePtr(new Uts46Instance(handle));
}

Uts46Outcome uts46NameToUnicode(const Uts46Instance& instance, const std::string& name) {
  const IcuApi& api = *icuApi();
  Uts46Outcome outcome;
  const auto convert = [&](std::string& out, int32_t& status) {
    IcuIdnaInfo info{sizeof(IcuIdnaInfo), 0, 0, 0, 0, 0};
    const int32_t length = api.nameToUnicodeUtf8(instance.handle(), name.data(), static_cast<int32_t>(name.size()),
                                                 out.data(), static_cast<int32_t>(out.size()), &info, &status);
    outcome.errors = info.errors;
    return length;
  };
  std::string unicode(name.size() * 2 + 16, '\0');
  int32_t status = 0;
  int32_t length = convert(unicode, status);
  if (status == kIcuBufferOverflow) {
    unicode.resize(static_cast<size_t>(length));
    status = 0;
    length = convert(unicode, status);
  }
  outcome.status = status;
  if (status <= 0) {
    unicode.resize(static_cast<size_t>(length));
    outcome.unicode = std::move(unicode);
  }
  return outcome;
}

std::wstring icuErrorName(int32_t status) {
  const IcuApi* api = icuApi();
  const char* name = api ? api->errorName(status) : nullptr;
  return name ? wstrLenient(name) : L"[BOGUS UErrorCode]";
}

Idna2003Outcome idna2003NameToUnicode(const std::string& name, bool useStd3Rules) {
  Idna2003Outcome outcome;
  const auto fail = [&](DWORD error) {
    std::wstring text = systemMessageText(error).value_or(L"Unknown error");
    // The message puts its own full stop behind the text.
    if (!text.empty() && text.back() == L'.') text.pop_back();
    outcome.failure = text + L" (Error code " + std::to_wstring(error) + L")";
    return outcome;
  };
  std::wstring source = utf8ToWideLenient(name);
  if (source.empty()) return outcome;
  wchar_t buffer[256];
  const int length = IdnToUnicode(useStd3Rules ? IDN_USE_STD3_ASCII_RULES : 0, source.data(),
                                  static_cast<int>(source.size()), buffer, 256);
  if (length <= 0) return fail(GetLastError());
  outcome.unicode = wideToUtf8Lenient(std::wstring_view(buffer, static_cast<size_t>(length)));
  return outcome;
}

}  // namespace wc
