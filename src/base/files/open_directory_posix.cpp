#include "base/files/open_directory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/errors/win_error_codes.h"
#include "base/files/directory_entries_posix.h"
#include "base/files/path_error_posix.h"

namespace wc {

OpenDirectory::OpenDirectory(const Context& context, const std::wstring& path) : files_(*context.files), path_(path) {
  // O_PATH: lookups need only the right to pass through the directory, as
  // they do along a full path.
  if (const std::optional<std::string> name = systemPath(path))
    descriptor_ = ::open(name->c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

OpenDirectory::~OpenDirectory() {
  if (descriptor_ >= 0) ::close(descriptor_);
}

uint32_t OpenDirectory::listDirectory(const std::wstring& relative, std::vector<DirectoryEntry>& entries) const {
  if (descriptor_ < 0) return files_.listDirectory(pathOf(relative), entries);
  entries.clear();
  const std::optional<std::string> name = systemPath(relative);
  if (!name) return ERROR_INVALID_NAME;
  return listDirectoryAt(descriptor_, *name, entries);
}

uint32_t OpenDirectory::readFileIdentity(const std::wstring& relative, FileIdentity& identity) const {
  if (descriptor_ < 0) return wc::readFileIdentity(pathOf(relative), identity);
  const std::optional<std::string> name = systemPath(relative);
  if (!name) return ERROR_INVALID_NAME;
  struct stat st {};
  if (::fstatat(descriptor_, name->c_str(), &st, 0) != 0) {
    const int error = errno;
    const std::optional<std::string> shownAs = systemPath(pathOf(relative));
    return shownAs ? windowsErrorForPath(error, *shownAs) : ERROR_INVALID_NAME;
  }
  identity = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino), static_cast<uint64_t>(st.st_size)};
  return ERROR_SUCCESS;
}

}  // namespace wc
