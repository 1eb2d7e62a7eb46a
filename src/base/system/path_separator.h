#pragma once
// The platform's path separator: '\' on Windows, '/' on POSIX.

#include <string>
#include <string_view>

namespace wc {

wchar_t pathSeparator();
// Turns the other platform's separator into this one's.
std::wstring toPlatformSeparators(std::wstring_view path);

}  // namespace wc
