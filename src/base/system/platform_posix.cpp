// The system area's small platform facts on POSIX, and errno as the Windows
// error codes the seam speaks.

#include <unistd.h>

#include <cerrno>

#include "base/errors/win_error_codes.h"
#include "base/system/com_apartment.h"
#include "base/system/errno_posix.h"
#include "base/system/error_mode.h"
#include "base/system/path_separator.h"
#include "base/system/unique_handle.h"

namespace wc {

wchar_t pathSeparator() { return L'/'; }

// POSIX has no fault dialogs; the fault translation installs its own handlers.
void disableFaultDialogs() {}

// There is no COM to set up.
ComApartment::ComApartment() = default;
ComApartment::~ComApartment() = default;

void FdTraits::close(int fd) { ::close(fd); }

uint32_t windowsErrorFromErrno(int error) {
  switch (error) {
    case 0:
      return ERROR_SUCCESS;
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return ERROR_ACCESS_DENIED;
    case EEXIST:
      return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY:
      return ERROR_DIR_NOT_EMPTY;
    case EBUSY:
    case ETXTBSY:
      return ERROR_SHARING_VIOLATION;
    case EAGAIN:
      return ERROR_LOCK_VIOLATION;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case ENOSPC:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case EINVAL:
      return ERROR_INVALID_PARAMETER;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case EXDEV:
      return ERROR_NOT_SAME_DEVICE;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    case EMFILE:
    case ENFILE:
      return ERROR_TOO_MANY_OPEN_FILES;
    case EPIPE:
      return ERROR_BROKEN_PIPE;
    case ECONNREFUSED:
      return ERROR_PIPE_BUSY;
    case ENOTCONN:
      return ERROR_PIPE_NOT_CONNECTED;
    case ETIMEDOUT:
      return ERROR_TIMEOUT;
    case ELOOP:
      return ERROR_CANT_RESOLVE_FILENAME;
    case EIO:
      return ERROR_GEN_FAILURE;
    case ENOSYS:
    case EOPNOTSUPP:
      return ERROR_NOT_SUPPORTED;
    case EFAULT:
      return ERROR_NOACCESS;
    case ECHILD:
      return ERROR_WAIT_NO_CHILDREN;
    default:
      return ERROR_GEN_FAILURE;
  }
}

uint32_t lastWindowsError() { return windowsErrorFromErrno(errno); }

}  // namespace wc
