#pragma once
// Conversions between wide strings and narrow strings in the system's ANSI
// code page (UTF-8 on POSIX). The strict forms throw the program's messages;
// the lenient forms are for texts that must get through anyway.

#include <string>
#include <string_view>

// Throws vexception "Maps a character string to a wide-character (Unicode)
// string failed" (call point "wstr").
std::wstring wstr(std::string_view ansi);
// Throws vexception "Maps a wide-character (Unicode) string to a character
// stringz" (call point "cstr").
std::string cstr(std::wstring_view wide);

std::wstring wstrLenient(std::string_view ansi);
std::string cstrLenient(std::wstring_view wide);
