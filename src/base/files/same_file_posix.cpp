#include "base/files/same_file.h"

#include <sys/stat.h>

#include <cerrno>

#include "base/errors/win_error_codes.h"
#include "base/files/path_error_posix.h"

namespace wc {

uint32_t readFileIdentity(const std::wstring& path, FileIdentity& identity) {
  const std::optional<std::string> name = systemPath(path);
  if (!name) return ERROR_INVALID_NAME;
  struct stat st {};
  if (::stat(name->c_str(), &st) != 0) return windowsErrorForPath(errno, *name);
  identity = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino), static_cast<uint64_t>(st.st_size)};
  return ERROR_SUCCESS;
}

}  // namespace wc
