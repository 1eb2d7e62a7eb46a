#pragma once
// Conversions between wide strings and narrow strings in the system's ANSI
// code page (UTF-8 on POSIX). The checked forms say whether the text could be
// converted (base/errors/strict_convert.h turns that into the program's
// messages); the lenient forms are for texts that must get through anyway.

#include <optional>
#include <string>
#include <string_view>

namespace wc {

std::optional<std::wstring> ansiToWide(std::string_view ansi);
std::optional<std::string> wideToAnsi(std::wstring_view wide);

std::wstring wstrLenient(std::string_view ansi);
std::string cstrLenient(std::wstring_view wide);

}  // namespace wc
