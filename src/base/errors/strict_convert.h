#pragma once
// Conversions between wide strings and the ANSI code page that fail with the
// program's own messages.

#include <string>
#include <string_view>

namespace wc {

// Throws vexception "Maps a character string to a wide-character (Unicode)
// string failed" (call point "wstr").
std::wstring wstr(std::string_view ansi);
// Throws vexception "Maps a wide-character (Unicode) string to a character
// stringz" (call point "cstr").
std::string cstr(std::wstring_view wide);

}  // namespace wc
