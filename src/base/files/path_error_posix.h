#pragma once
// errno of a call that named a path, to the Windows code that the same call
// gives on Windows. POSIX side of the files seam only.

#include <cstdint>
#include <optional>
#include <string>

namespace wc {

// As windowsErrorFromErrno, except that ENOENT becomes ERROR_PATH_NOT_FOUND
// when the directory that should hold `path` is missing and
// ERROR_FILE_NOT_FOUND otherwise.
uint32_t windowsErrorForPath(int error, const std::string& path);

// The path as the system takes it (UTF-8); nothing for a name that has no
// UTF-8 form or holds a NUL (the caller answers ERROR_INVALID_NAME).
std::optional<std::string> systemPath(const std::wstring& path);

}  // namespace wc
