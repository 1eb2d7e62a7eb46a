#pragma once
// Whether a path names something.

#include <string>

#include "base/system/context.h"

namespace wc {

// True if the path exists; `isDirectory` tells which kind. A missing file or
// directory on the way is false; any other failure throws the OS-error
// exception with the path (call point "fileExist").
bool fileExist(const Context& context, const std::wstring& path, bool* isDirectory = nullptr);

// True if the path exists (false for an empty path); `isFile` tells a file
// from a directory. Failures as fileExist (call point "directoryExist").
bool directoryExist(const Context& context, const std::wstring& path, bool* isFile = nullptr);

}  // namespace wc
