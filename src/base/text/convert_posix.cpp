// On POSIX the "ANSI code page" is UTF-8.

#include "base/text/convert.h"

#include "base/text/unicode.h"

namespace wc {

std::optional<std::wstring> ansiToWide(std::string_view ansi) { return utf8ToWide(ansi); }
std::optional<std::string> wideToAnsi(std::wstring_view wide) { return wideToUtf8(wide); }

std::wstring wstrLenient(std::string_view ansi) { return utf8ToWideLenient(ansi); }
std::string cstrLenient(std::wstring_view wide) { return wideToUtf8Lenient(wide); }

}  // namespace wc
