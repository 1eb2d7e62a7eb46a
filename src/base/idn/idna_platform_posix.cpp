// The ICU linked into the program, through its C API.

#include "base/idn/idna_platform.h"

#include <unicode/uidna.h>
#include <unicode/ustring.h>
#include <unicode/utypes.h>

#include "base/idn/os_version.h"
#include "base/text/convert.h"

namespace wc {

class Uts46Instance {
 public:
  explicit Uts46Instance(UIDNA* idna) : idna(idna) {}
  UIDNA* idna;
};

void Uts46InstanceCloser::operator()(Uts46Instance* instance) const {
  uidna_close(instance->idna);
  delete instance;
}

bool hasUts46() { return true; }

Uts46InstancePtr openUts46(uint32_t options, int32_t& status) {
  UErrorCode code = U_ZERO_ERROR;
  UIDNA* idna = uidna_openUTS46(options, &code);
  status = code;
  if (U_FAILURE(code) || !idna) return nullptr;
  return Uts46InstancePtr(new Uts46Instance(idna));
}

Uts46Outcome uts46NameToUnicode(const Uts46Instance& instance, const std::string& name) {
  Uts46Outcome outcome;
  const auto convert = [&](std::string& out, UErrorCode& code) {
    UIDNAInfo info = UIDNA_INFO_INITIALIZER;
    const int32_t length = uidna_nameToUnicodeUTF8(instance.idna, name.data(), static_cast<int32_t>(name.size()),
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

std::wstring icuErrorName(int32_t status) { return wstrLenient(u_errorName(static_cast<UErrorCode>(status))); }

Idna2003Outcome idna2003NameToUnicode(const std::string& name, bool useStd3Rules) {
  Idna2003Outcome outcome;
  UErrorCode code = U_ZERO_ERROR;
  std::u16string source(name.size(), u'\0');
  int32_t sourceLength = 0;
  // Bytes that are no UTF-8 become U+FFFD, which the conversion then refuses.
  u_strFromUTF8WithSub(source.data(), static_cast<int32_t>(source.size()), &sourceLength, name.data(),
                       static_cast<int32_t>(name.size()), 0xFFFD, nullptr, &code);
  UChar buffer[256];
  int32_t length = 0;
  if (U_SUCCESS(code)) {
    // ICU marks the IDNA2003 call deprecated in favour of UTS #46; it stays
    // for systems older than 6.2, whose own conversion is IDNA2003.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    length = uidna_IDNToUnicode(source.data(), sourceLength, buffer, 256,
                                useStd3Rules ? UIDNA_USE_STD3_RULES : UIDNA_DEFAULT, nullptr, &code);
#pragma GCC diagnostic pop
  }
  if (U_FAILURE(code)) {
    outcome.failure = icuErrorName(code);
    return outcome;
  }
  std::string unicode(static_cast<size_t>(length) * 3, '\0');
  int32_t unicodeLength = 0;
  u_strToUTF8WithSub(unicode.data(), static_cast<int32_t>(unicode.size()), &unicodeLength, buffer, length, 0xFFFD,
                     nullptr, &code);
  if (U_FAILURE(code)) {
    outcome.failure = icuErrorName(code);
    return outcome;
  }
  unicode.resize(static_cast<size_t>(unicodeLength));
  outcome.unicode = std::move(unicode);
  return outcome;
}

// No version record here: the answer is that of the first system whose own
// conversion follows UTS #46, as the linked ICU does.
OsVersion operatingSystemVersion() { return {6, 2}; }

}  // namespace wc
