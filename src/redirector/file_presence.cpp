#include "redirector/file_presence.h"

#include "base/errors/win_error_codes.h"
#include "base/files/file.h"

bool fileIsPresent(const std::wstring& path) {
  File file;
  const uint32_t code =
      file.open(path, FILE_ACCESS_READ, FILE_SHARE_READ_ACCESS | FILE_SHARE_WRITE_ACCESS | FILE_SHARE_DELETE_ACCESS,
                FileDisposition::OpenExisting);
  return code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND;
}
