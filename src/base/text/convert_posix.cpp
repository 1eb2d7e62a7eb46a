// On POSIX the "ANSI code page" is UTF-8.

#include "base/text/convert.h"

#include "base/errors/vexception.h"
#include "base/text/unicode.h"

std::wstring wstr(std::string_view ansi) {
  std::optional<std::wstring> wide = utf8ToWide(ansi);
  if (!wide)
    throw vexception(L"Maps a character string to a wide-character (Unicode) string failed", VCALLPOINT(L"", "wstr"));
  return std::move(*wide);
}

std::string cstr(std::wstring_view wide) {
  std::optional<std::string> ansi = wideToUtf8(wide);
  if (!ansi)
    throw vexception(L"Maps a wide-character (Unicode) string to a character stringz", VCALLPOINT(L"", "cstr"));
  return std::move(*ansi);
}

std::wstring wstrLenient(std::string_view ansi) { return utf8ToWideLenient(ansi); }
std::string cstrLenient(std::wstring_view wide) { return wideToUtf8Lenient(wide); }
