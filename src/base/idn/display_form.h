#pragma once
// The Unicode display form of a domain name stored in its ASCII (Punycode)
// form, for messages and logs: "xn--bcher-kva.test" shows as "bücher.test".
// Failures are vexceptions without call points, with the conversion's text.

#include <cstdint>
#include <string>

namespace wc {

std::wstring toDisplayForm(const std::wstring& name, bool useStd3Rules);

// The conversions beneath it, UTF-8 to UTF-8: the selector (by the system
// version), the UTS #46 one and the older IDNA2003 one.
std::string nameToUnicodeUtf8(const std::string& name, bool useStd3Rules);
std::string nameToUnicodeUts46(const std::string& name, bool useStd3Rules);
std::string nameToUnicodeIdna2003(const std::string& name, bool useStd3Rules);

// One line per UIDNA_ERROR_* bit set, in bit order; "Unspecified or empty
// IDNA error bit set." when none of them is.
std::wstring idnaErrorBitsText(uint32_t errors);

}  // namespace wc
