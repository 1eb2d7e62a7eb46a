#include "base/idn/display_form.h"

#include <unicode/idna.h>
#include <unicode/uidna.h>
#include <unicode/unistr.h>
#include <unicode/utypes.h>

#include <memory>
#include <mutex>

#include "base/errors/vexception.h"
#include "base/idn/os_version.h"
#include "base/text/unicode.h"
#include "base/text/vaformat.h"

namespace {

// The process's one UTS #46 instance and the flag it was made for. Shared
// ownership lets a conversion finish on an instance that a request with the
// other flag has just replaced.
struct Uts46Cache {
  std::mutex lock;
  std::shared_ptr<const icu::IDNA> instance;
  bool useStd3Rules = false;
};

Uts46Cache& uts46Cache() {
  static Uts46Cache cache;
  return cache;
}

std::shared_ptr<const icu::IDNA> uts46Instance(bool useStd3Rules) {
  Uts46Cache& cache = uts46Cache();
  std::lock_guard<std::mutex> guard(cache.lock);
  if (cache.instance && cache.useStd3Rules == useStd3Rules) return cache.instance;
  cache.instance.reset();
  UErrorCode status = U_ZERO_ERROR;
  const uint32_t options = UIDNA_CHECK_BIDI | (useStd3Rules ? UIDNA_USE_STD3_RULES : 0);
  std::unique_ptr<icu::IDNA> created(icu::IDNA::createUTS46Instance(options, status));
  if (U_FAILURE(status) || !created) {
    throw vexception(vaformat(L"Unable to create an IDNA instance, name of the error code: %s.", u_errorName(status)));
  }
  cache.instance = std::move(created);
  cache.useStd3Rules = useStd3Rules;
  return cache.instance;
}

std::string toUtf8(const icu::UnicodeString& text) {
  std::string out;
  text.toUTF8String(out);
  return out;
}

}  // namespace

std::string nameToUnicodeUts46(const std::string& name, bool useStd3Rules) {
  std::shared_ptr<const icu::IDNA> idna = uts46Instance(useStd3Rules);
  icu::IDNAInfo info;
  UErrorCode status = U_ZERO_ERROR;
  icu::UnicodeString result;
  idna->nameToUnicode(icu::UnicodeString::fromUTF8(name), result, info, status);
  if (U_FAILURE(status)) {
    throw vexception(
        vaformat(L"Unable to convert a whole domain name '%s' into its Unicode form for human-readable "
                 L"display using UTS46, name of the error code: %s.",
                 name, u_errorName(status)));
  }
  if (info.hasErrors()) {
    const uint32_t errors = info.getErrors();
    throw vexception(
        vaformat(L"Unable to convert a whole domain name '%s' into its Unicode form for human-readable "
                 L"display. IDNA error bit set: %u\n%s",
                 name, errors, idnaErrorBitsText(errors)));
  }
  return toUtf8(result);
}

std::string nameToUnicodeIdna2003(const std::string& name, bool useStd3Rules) {
  const icu::UnicodeString source = icu::UnicodeString::fromUTF8(name);
  UChar buffer[256];
  UErrorCode status = U_ZERO_ERROR;
  // ICU marks the IDNA2003 call deprecated in favour of UTS #46; it stays
  // for systems older than 6.2, where the system's own conversion is IDNA2003.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  const int32_t length = uidna_IDNToUnicode(source.getBuffer(), source.length(), buffer, 256,
                                            useStd3Rules ? UIDNA_USE_STD3_RULES : UIDNA_DEFAULT, nullptr, &status);
#pragma GCC diagnostic pop
  if (U_FAILURE(status)) {
    throw vexception(
        vaformat(L"Unable to convert a whole domain name '%s' into its Unicode form for human-readable "
                 L"display using IDNA2003, name of the error code: %s.",
                 name, u_errorName(status)));
  }
  return toUtf8(icu::UnicodeString(buffer, length));
}

std::string nameToUnicodeUtf8(const std::string& name, bool useStd3Rules) {
  static const bool uts46 = usesUts46(operatingSystemVersion());
  return uts46 ? nameToUnicodeUts46(name, useStd3Rules) : nameToUnicodeIdna2003(name, useStd3Rules);
}

std::wstring toDisplayForm(const std::wstring& name, bool useStd3Rules) {
  std::optional<std::string> utf8 = wideToUtf8(name);
  if (!utf8)
    throw vexception(L"Maps a wide-character (Unicode) string to a character stringz", VCALLPOINT(L"", "cstr"));
  std::optional<std::wstring> wide = utf8ToWide(nameToUnicodeUtf8(*utf8, useStd3Rules));
  if (!wide) {
    throw vexception(L"Maps a character string to a wide-character (Unicode) string failed", VCALLPOINT(L"", "wstr"));
  }
  return *wide;
}
