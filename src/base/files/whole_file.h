#pragma once
// Reading and writing a file in one piece.

#include <string>
#include <string_view>

#include "base/system/context.h"

namespace wc {

// Every byte of an existing file. Throws the OS-error exception "Read file
// '<path>'", call point "readWholeFile".
std::string readWholeFile(const Context& context, const std::wstring& path);

// Writes `content` as the whole file. Without `overwrite` an existing file is
// left alone and the answer is false; else true. Throws "Write file
// '<path>'", call point "writeWholeFile".
bool writeWholeFile(const Context& context, const std::wstring& path, std::string_view content, bool overwrite);

}  // namespace wc
