#include "base/files/open_directory.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string_view>

#include "base/errors/win_error_codes.h"
#include "base/files/directory_entries_posix.h"
#include "base/files/path_error_posix.h"
#include "base/system/errno_posix.h"
#include "base/system/unique_handle.h"
#include "base/text/unicode.h"

namespace wc {

namespace {

constexpr size_t kMostReserved = 65536;

// A listed name, in UTF-8 on the disk; an ASCII one widens by copying.
std::wstring wideName(std::string_view name) {
  const bool ascii = std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  return ascii ? std::wstring(name.begin(), name.end()) : utf8ToWideLenient(name);
}

}  // namespace

uint32_t listDirectoryAt(int parent, const std::string& name, std::vector<DirectoryEntry>& entries) {
  entries.clear();
  UniqueFd directory(::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!directory) {
    if (errno == ENOENT) return ERROR_PATH_NOT_FOUND;
    if (errno == ENOTDIR) return ERROR_DIRECTORY;
    return windowsErrorFromErrno(errno);
  }
  // The entries' identities come with the listing: no look at each. The
  // entries are read straight from the descriptor: a directory stream
  // would look at the directory once more.
  struct stat status {};
  const bool numbered = ::fstat(directory.get(), &status) == 0;
  // Room for the entries its size suggests (ext4 and tmpfs: a few dozen
  // bytes each): a directory of thousands is not copied as the list grows.
  if (numbered) entries.reserve(std::min<size_t>(static_cast<size_t>(status.st_size) / 32, kMostReserved));
  alignas(dirent64) char buffer[32 * 1024];
  for (;;) {
    const ssize_t got = ::getdents64(directory.get(), buffer, sizeof buffer);
    if (got < 0) return lastWindowsError();
    if (got == 0) break;
    for (ssize_t at = 0; at < got;) {
      const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
      at += entry->d_reclen;
      const std::string_view entryName = entry->d_name;
      if (entryName == "." || entryName == "..") continue;
      bool isDirectory = entry->d_type == DT_DIR;
      if (entry->d_type == DT_UNKNOWN) {
        struct stat st {};
        isDirectory = ::fstatat(directory.get(), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
      }
      entries.push_back({wideName(entryName), isDirectory, numbered ? static_cast<uint64_t>(status.st_dev) : 0,
                         numbered ? static_cast<uint64_t>(entry->d_ino) : 0});
    }
  }
  return ERROR_SUCCESS;
}

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
