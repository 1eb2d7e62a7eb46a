#include "base/idn/display_form.h"

#include <memory>
#include <mutex>

#include "base/errors/vexception.h"
#include "base/idn/idna_platform.h"
#include "base/idn/os_version.h"
#include "base/text/unicode.h"
#include "base/text/vaformat.h"

namespace wc {

namespace {

// ICU's option bits of uidna_openUTS46.
constexpr uint32_t kUseStd3Rules = 0x2;
constexpr uint32_t kCheckBidi = 0x4;

// The process's one UTS #46 instance and the flag it was made for. Shared
// ownership lets a conversion finish on an instance that a request with the
// other flag has just replaced.
struct Uts46Cache {
  std::mutex lock;
  std::shared_ptr<const Uts46Instance> instance;
  bool useStd3Rules = false;
};

Uts46Cache& uts46Cache() {
  static Uts46Cache cache;
  return cache;
}

std::shared_ptr<const Uts46Instance> uts46Instance(bool useStd3Rules) {
  Uts46Cache& cache = uts46Cache();
  std::lock_guard<std::mutex> guard(cache.lock);
  if (cache.instance && cache.useStd3Rules == useStd3Rules) return cache.instance;
  cache.instance.reset();
  int32_t status = 0;
  Uts46InstancePtr created = openUts46(kCheckBidi | (useStd3Rules ? kUseStd3Rules : 0), status);
  if (!created) {
    throw vexception(vaformat(L"Unable to create an IDNA instance, name of the error code: %s.", icuErrorName(status)));
  }
  cache.instance = std::move(created);
  cache.useStd3Rules = useStd3Rules;
  return cache.instance;
}

// A name of lower-case letters, digits and hyphens, in labels of 1 to 63
// that neither start nor end with a hyphen nor hold two in a row (so no
// "xn--" label), is valid under every rule set and its own Unicode form. Most
// host names are: they skip the conversion, which a check of thousands of
// hosts would otherwise make for each.
bool isOwnDisplayForm(const std::wstring& name) {
  if (name.empty() || name.size() > 253) return false;
  size_t labelLength = 0;
  wchar_t previous = L'.';
  for (wchar_t c : name) {
    if (c == L'.') {
      if (labelLength == 0 || previous == L'-') return false;
      labelLength = 0;
    } else if ((c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9')) {
      ++labelLength;
    } else if (c == L'-') {
      if (labelLength == 0 || previous == L'-') return false;
      ++labelLength;
    } else {
      return false;
    }
    if (labelLength > 63) return false;
    previous = c;
  }
  return labelLength != 0 && previous != L'-';
}

}  // namespace

std::string nameToUnicodeUts46(const std::string& name, bool useStd3Rules) {
  std::shared_ptr<const Uts46Instance> idna = uts46Instance(useStd3Rules);
  Uts46Outcome outcome = uts46NameToUnicode(*idna, name);
  if (outcome.status > 0) {
    throw vexception(
        vaformat(L"Unable to convert a whole domain name '%s' into its Unicode form for human-readable "
                 L"display using UTS46, name of the error code: %s.",
                 name, icuErrorName(outcome.status)));
  }
  if (outcome.errors) {
    throw vexception(
        vaformat(L"Unable to convert a whole domain name '%s' into its Unicode form for human-readable "
                 L"display. IDNA error bit set: %u\n%s",
                 name, outcome.errors, idnaErrorBitsText(outcome.errors)));
  }
  return outcome.unicode;
}

std::string nameToUnicodeIdna2003(const std::string& name, bool useStd3Rules) {
  Idna2003Outcome outcome = idna2003NameToUnicode(name, useStd3Rules);
  if (outcome.failure) {
    throw vexception(
        vaformat(L"Unable to convert a whole domain name '%s' into its Unicode form for human-readable "
                 L"display using IDNA2003, name of the error code: %s.",
                 name, *outcome.failure));
  }
  return outcome.unicode;
}

std::string nameToUnicodeUtf8(const std::string& name, bool useStd3Rules) {
  // A system too old for UTS #46, or one without ICU, converts by IDNA2003.
  static const bool uts46 = usesUts46(operatingSystemVersion()) && hasUts46();
  return uts46 ? nameToUnicodeUts46(name, useStd3Rules) : nameToUnicodeIdna2003(name, useStd3Rules);
}

std::wstring toDisplayForm(const std::wstring& name, bool useStd3Rules) {
  if (isOwnDisplayForm(name)) return name;
  std::optional<std::string> utf8 = wideToUtf8(name);
  if (!utf8)
    throw vexception(L"Maps a wide-character (Unicode) string to a character stringz", VCALLPOINT(L"", "cstr"));
  std::optional<std::wstring> wide = utf8ToWide(nameToUnicodeUtf8(*utf8, useStd3Rules));
  if (!wide) {
    throw vexception(L"Maps a character string to a wide-character (Unicode) string failed", VCALLPOINT(L"", "wstr"));
  }
  return *wide;
}

}  // namespace wc
