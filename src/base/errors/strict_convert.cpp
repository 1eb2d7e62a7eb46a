#include "base/errors/strict_convert.h"

#include "base/errors/vexception.h"
#include "base/text/convert.h"

namespace wc {

std::wstring wstr(std::string_view ansi) {
  std::optional<std::wstring> wide = ansiToWide(ansi);
  if (!wide)
    throw vexception(L"Maps a character string to a wide-character (Unicode) string failed", VCALLPOINT(L"", "wstr"));
  return std::move(*wide);
}

std::string cstr(std::wstring_view wide) {
  std::optional<std::string> ansi = wideToAnsi(wide);
  if (!ansi)
    throw vexception(L"Maps a wide-character (Unicode) string to a character stringz", VCALLPOINT(L"", "cstr"));
  return std::move(*ansi);
}

}  // namespace wc
