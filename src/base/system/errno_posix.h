#pragma once
// errno to Windows error codes, for the POSIX side of the seam only.

#include <cstdint>

namespace wc {

// `forFile`: the call named a file (ENOENT is then ERROR_FILE_NOT_FOUND where a
// directory of the path exists and ERROR_PATH_NOT_FOUND otherwise is the
// caller's business; this gives ERROR_FILE_NOT_FOUND).
uint32_t windowsErrorFromErrno(int error);
// The Windows code of the current errno.
uint32_t lastWindowsError();

}  // namespace wc
