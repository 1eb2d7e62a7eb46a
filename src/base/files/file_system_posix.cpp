#include "base/files/file_system.h"

#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <memory>

#include "base/errors/win_error_codes.h"
#include "base/files/directory_entries_posix.h"
#include "base/files/path_error_posix.h"
#include "base/system/errno_posix.h"
#include "base/system/unique_handle.h"
#include "base/text/unicode.h"

namespace wc {

namespace {

constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;

// lstat with the Windows code of a failure.
uint32_t entryStatus(const std::string& path, struct stat& st) {
  if (::lstat(path.c_str(), &st) == 0) return ERROR_SUCCESS;
  return windowsErrorForPath(errno, path);
}

bool isReadOnly(const struct stat& st) { return !S_ISLNK(st.st_mode) && (st.st_mode & kAnyWrite) == 0; }

// Copies the bytes of one descriptor to another.
uint32_t copyBytes(int from, int to) {
  char buffer[64 * 1024];
  for (;;) {
    ssize_t got = ::read(from, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      return lastWindowsError();
    }
    if (got == 0) return ERROR_SUCCESS;
    ssize_t done = 0;
    while (done < got) {
      ssize_t put = ::write(to, buffer + done, static_cast<size_t>(got - done));
      if (put < 0) {
        if (errno == EINTR) continue;
        return lastWindowsError();
      }
      done += put;
    }
  }
}

// "\040" and friends in the mount table stand for blanks and the like.
std::string unescapeMountPath(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size()) {
      const std::string digits = text.substr(i + 1, 3);
      if (digits.size() == 3 && digits.find_first_not_of("01234567") == std::string::npos) {
        out += static_cast<char>(std::stoi(digits, nullptr, 8));
        i += 3;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

bool holdsPath(const std::string& mountPoint, const std::string& path) {
  if (mountPoint == "/") return true;
  if (path.compare(0, mountPoint.size(), mountPoint) != 0) return false;
  return path.size() == mountPoint.size() || path[mountPoint.size()] == '/';
}

// The absolute, link-free form of a path whose tail may not exist yet.
std::string resolvedPath(const std::string& path) {
  std::string absolute = path;
  if (absolute.empty() || absolute[0] != '/') {
    char cwd[PATH_MAX];
    if (::getcwd(cwd, sizeof cwd)) absolute = std::string(cwd) + "/" + absolute;
  }
  std::string head = absolute;
  std::string tail;
  for (;;) {
    std::unique_ptr<char, decltype(&::free)> real(::realpath(head.c_str(), nullptr), &::free);
    if (real) {
      std::string result = real.get();
      if (!tail.empty()) result += (result == "/" ? "" : "/") + tail;
      return result;
    }
    size_t slash = head.find_last_of('/');
    if (slash == std::string::npos || head == "/") break;
    const std::string piece = head.substr(slash + 1);
    tail = tail.empty() ? piece : piece + "/" + tail;
    head = slash == 0 ? "/" : head.substr(0, slash);
  }
  return absolute;
}

class PosixFileSystem final : public FileSystem {
 public:
  uint32_t getAttributes(const std::wstring& path, FileAttributes& attributes) override {
    attributes = {};
    if (path.empty()) return ERROR_PATH_NOT_FOUND;
    std::optional<std::string> name = systemPath(path);
    if (!name) return ERROR_INVALID_NAME;
    struct stat st {};
    // A link counts as what it points to; a dangling link as a file.
    if (::stat(name->c_str(), &st) != 0) {
      if (uint32_t error = entryStatus(*name, st)) return error;
    }
    attributes.directory = S_ISDIR(st.st_mode);
    attributes.readOnly = isReadOnly(st);
    return ERROR_SUCCESS;
  }

  uint32_t setReadOnly(const std::wstring& path, bool readOnly) override {
    std::optional<std::string> name = systemPath(path);
    if (!name) return ERROR_INVALID_NAME;
    struct stat st {};
    if (uint32_t error = entryStatus(*name, st)) return error;
    if (S_ISLNK(st.st_mode)) return ERROR_SUCCESS;  // never change what a link points to
    mode_t mode = st.st_mode & 07777;
    mode = readOnly ? (mode & ~kAnyWrite) : (mode | S_IWUSR);
    if (mode == (st.st_mode & 07777)) return ERROR_SUCCESS;
    if (::chmod(name->c_str(), mode) != 0) return windowsErrorForPath(errno, *name);
    return ERROR_SUCCESS;
  }

  uint32_t grantDeleteAccess(const std::wstring& path) override {
    std::optional<std::string> name = systemPath(path);
    if (!name) return ERROR_INVALID_NAME;
    struct stat st {};
    if (uint32_t error = entryStatus(*name, st)) return error;
    if (S_ISLNK(st.st_mode)) return ERROR_SUCCESS;
    mode_t wanted = S_IRUSR | S_IWUSR | (S_ISDIR(st.st_mode) ? S_IXUSR : 0);
    mode_t mode = (st.st_mode & 07777) | wanted;
    if (mode == (st.st_mode & 07777)) return ERROR_SUCCESS;
    if (::chmod(name->c_str(), mode) != 0) return windowsErrorForPath(errno, *name);
    return ERROR_SUCCESS;
  }

  uint32_t deleteFile(const std::wstring& path) override {
    if (path.empty()) return ERROR_PATH_NOT_FOUND;
    std::optional<std::string> name = systemPath(path);
    if (!name) return ERROR_INVALID_NAME;
    struct stat st {};
    if (uint32_t error = entryStatus(*name, st)) return error;
    if (S_ISDIR(st.st_mode) || isReadOnly(st)) return ERROR_ACCESS_DENIED;
    if (::unlink(name->c_str()) != 0) return windowsErrorForPath(errno, *name);
    return ERROR_SUCCESS;
  }

  uint32_t removeDirectory(const std::wstring& path) override {
    if (path.empty()) return ERROR_PATH_NOT_FOUND;
    std::optional<std::string> name = systemPath(path);
    if (!name) return ERROR_INVALID_NAME;
    struct stat st {};
    if (uint32_t error = entryStatus(*name, st)) return error;
    if (!S_ISDIR(st.st_mode)) return ERROR_DIRECTORY;
    if (isReadOnly(st)) return ERROR_ACCESS_DENIED;
    if (::rmdir(name->c_str()) != 0) {
      if (errno == ENOTEMPTY || errno == EEXIST) return ERROR_DIR_NOT_EMPTY;
      return windowsErrorForPath(errno, *name);
    }
    return ERROR_SUCCESS;
  }

  uint32_t moveFile(const std::wstring& from, const std::wstring& to, uint32_t flags) override {
    if (from.empty() || to.empty()) return ERROR_PATH_NOT_FOUND;
    std::optional<std::string> source = systemPath(from);
    std::optional<std::string> target = systemPath(to);
    if (!source || !target) return ERROR_INVALID_NAME;
    struct stat sourceStat {};
    if (uint32_t error = entryStatus(*source, sourceStat)) return error;
    struct stat targetStat {};
    const bool targetExists = ::lstat(target->c_str(), &targetStat) == 0;
    const bool sameEntry =
        targetExists && sourceStat.st_dev == targetStat.st_dev && sourceStat.st_ino == targetStat.st_ino;
    // A change of letter case only, or a move onto itself, is no replacement.
    if (targetExists && !sameEntry) {
      if ((flags & MOVE_REPLACE_EXISTING) == 0) return ERROR_ALREADY_EXISTS;
      if (S_ISDIR(targetStat.st_mode) || S_ISDIR(sourceStat.st_mode) || isReadOnly(targetStat)) {
        return ERROR_ACCESS_DENIED;
      }
    }
    int result;
    if ((flags & MOVE_REPLACE_EXISTING) == 0 && !sameEntry) {
      result = ::renameat2(AT_FDCWD, source->c_str(), AT_FDCWD, target->c_str(), RENAME_NOREPLACE);
      if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
        // File systems without the no-replace flag: the check above stands.
        result = ::rename(source->c_str(), target->c_str());
      }
    } else {
      result = ::rename(source->c_str(), target->c_str());
    }
    if (result == 0) return ERROR_SUCCESS;
    const int error = errno;
    if (error == EEXIST || error == ENOTEMPTY) return ERROR_ALREADY_EXISTS;
    if (error == EXDEV) {
      if ((flags & MOVE_COPY_ALLOWED) == 0 || S_ISDIR(sourceStat.st_mode)) return ERROR_NOT_SAME_DEVICE;
      if (uint32_t copied = copyFile(from, to, (flags & MOVE_REPLACE_EXISTING) == 0)) return copied;
      if (::unlink(source->c_str()) != 0) {
        uint32_t code = windowsErrorForPath(errno, *source);
        ::unlink(target->c_str());
        return code;
      }
      return ERROR_SUCCESS;
    }
    if (error == ENOENT) return ERROR_PATH_NOT_FOUND;  // the source is there: the target's directory is not
    return windowsErrorForPath(error, *target);
  }

  uint32_t createDirectory(const std::wstring& path, const DirectoryAccess* access) override {
    if (path.empty()) return ERROR_PATH_NOT_FOUND;
    std::optional<std::string> name = systemPath(path);
    if (!name) return ERROR_INVALID_NAME;
    if (::mkdir(name->c_str(), access ? static_cast<mode_t>(access->mode) : 0777) != 0) {
      if (errno == EEXIST) return ERROR_ALREADY_EXISTS;
      if (errno == ENOENT) return ERROR_PATH_NOT_FOUND;
      return windowsErrorForPath(errno, *name);
    }
    if (!access) return ERROR_SUCCESS;
    // The process umask must not narrow an access that was asked for.
    uint32_t result = ERROR_SUCCESS;
    if (::chmod(name->c_str(), static_cast<mode_t>(access->mode) & 07777) != 0) {
      result = lastWindowsError();
    } else if (access->ownerRoot && ::geteuid() == 0 && ::chown(name->c_str(), 0, 0) != 0) {
      // Only root can hand a directory to root; any other caller stays owner.
      result = lastWindowsError();
    }
    if (result != ERROR_SUCCESS) ::rmdir(name->c_str());
    return result;
  }

  uint32_t createHardLink(const std::wstring& newPath, const std::wstring& existing) override {
    if (newPath.empty() || existing.empty()) return ERROR_PATH_NOT_FOUND;
    std::optional<std::string> link = systemPath(newPath);
    std::optional<std::string> target = systemPath(existing);
    if (!link || !target) return ERROR_INVALID_NAME;
    struct stat st {};
    if (uint32_t error = entryStatus(*target, st)) return error;
    if (S_ISDIR(st.st_mode)) return ERROR_ACCESS_DENIED;
    if (::link(target->c_str(), link->c_str()) != 0) {
      if (errno == EEXIST) return ERROR_ALREADY_EXISTS;
      if (errno == ENOENT) return ERROR_PATH_NOT_FOUND;
      return windowsErrorForPath(errno, *link);
    }
    return ERROR_SUCCESS;
  }

  uint32_t copyFile(const std::wstring& from, const std::wstring& to, bool failIfExists) override {
    if (from.empty() || to.empty()) return ERROR_PATH_NOT_FOUND;
    std::optional<std::string> source = systemPath(from);
    std::optional<std::string> target = systemPath(to);
    if (!source || !target) return ERROR_INVALID_NAME;
    UniqueFd in(::open(source->c_str(), O_RDONLY | O_CLOEXEC));
    if (!in) return windowsErrorForPath(errno, *source);
    struct stat sourceStat {};
    if (::fstat(in.get(), &sourceStat) != 0) return lastWindowsError();
    if (S_ISDIR(sourceStat.st_mode)) return ERROR_ACCESS_DENIED;

    struct stat targetStat {};
    if (::stat(target->c_str(), &targetStat) == 0) {
      if (failIfExists) return ERROR_FILE_EXISTS;
      if (targetStat.st_dev == sourceStat.st_dev && targetStat.st_ino == sourceStat.st_ino) {
        return ERROR_SHARING_VIOLATION;  // truncating the target would destroy the source
      }
      if (S_ISDIR(targetStat.st_mode) || isReadOnly(targetStat)) return ERROR_ACCESS_DENIED;
    }
    int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | (failIfExists ? O_EXCL : 0);
    UniqueFd out(::open(target->c_str(), flags, 0600));
    if (!out) {
      if (errno == EEXIST) return ERROR_FILE_EXISTS;
      if (errno == ENOENT) return ERROR_PATH_NOT_FOUND;
      return windowsErrorForPath(errno, *target);
    }
    uint32_t result = copyBytes(in.get(), out.get());
    if (result == ERROR_SUCCESS && ::fchmod(out.get(), sourceStat.st_mode & 07777) != 0) result = lastWindowsError();
    if (result == ERROR_SUCCESS) {
      struct timespec times[2] = {sourceStat.st_atim, sourceStat.st_mtim};
      if (::futimens(out.get(), times) != 0) result = lastWindowsError();
    }
    if (result == ERROR_SUCCESS && ::close(out.release()) != 0) result = lastWindowsError();
    if (result != ERROR_SUCCESS) {
      out.reset();
      ::unlink(target->c_str());  // no half-copied file stays behind
    }
    return result;
  }

  uint32_t copySecurity(const std::wstring& from, const std::wstring& to) override {
    std::optional<std::string> source = systemPath(from);
    std::optional<std::string> target = systemPath(to);
    if (!source || !target) return ERROR_INVALID_NAME;
    struct stat st {};
    if (::stat(source->c_str(), &st) != 0) return windowsErrorForPath(errno, *source);
    struct stat current {};
    if (::stat(target->c_str(), &current) != 0) return windowsErrorForPath(errno, *target);
    if ((current.st_uid != st.st_uid || current.st_gid != st.st_gid) &&
        ::chown(target->c_str(), st.st_uid, st.st_gid) != 0) {
      return windowsErrorForPath(errno, *target);
    }
    if (::chmod(target->c_str(), st.st_mode & 07777) != 0) return windowsErrorForPath(errno, *target);
    return ERROR_SUCCESS;
  }

  uint32_t setPermissions(const std::wstring& path, const FilePermissions& permissions) override {
    std::optional<std::string> name = systemPath(path);
    if (!name) return ERROR_INVALID_NAME;
    if (!permissions.groupOf.empty()) {
      std::optional<std::string> groupSource = systemPath(permissions.groupOf);
      if (!groupSource) return ERROR_INVALID_NAME;
      struct stat st {};
      if (::stat(groupSource->c_str(), &st) != 0) return windowsErrorForPath(errno, *groupSource);
      if (::chown(name->c_str(), static_cast<uid_t>(-1), st.st_gid) != 0) return windowsErrorForPath(errno, *name);
    }
    if (::chmod(name->c_str(), permissions.mode & 07777) != 0) return windowsErrorForPath(errno, *name);
    return ERROR_SUCCESS;
  }

  uint32_t listDirectory(const std::wstring& path, std::vector<DirectoryEntry>& entries) override {
    entries.clear();
    if (path.empty()) return ERROR_PATH_NOT_FOUND;
    std::optional<std::string> name = systemPath(path);
    if (!name) return ERROR_INVALID_NAME;
    return listDirectoryAt(AT_FDCWD, *name, entries);
  }

  uint32_t volumeRoot(const std::wstring& path, std::wstring& root) override {
    root.clear();
    std::optional<std::string> name = systemPath(path);
    if (!name) return ERROR_INVALID_NAME;
    const std::string resolved = resolvedPath(*name);
    std::ifstream table("/proc/self/mountinfo");
    if (!table) return ERROR_NOT_SUPPORTED;
    std::string best = "/";
    std::string line;
    while (std::getline(table, line)) {
      // id parent major:minor root mount-point ...
      size_t start = 0;
      std::string field;
      for (int i = 0; i < 5; ++i) {
        size_t end = line.find(' ', start);
        field = line.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (end == std::string::npos) break;
        start = end + 1;
      }
      const std::string mountPoint = unescapeMountPath(field);
      if (!mountPoint.empty() && mountPoint[0] == '/' && mountPoint.size() > best.size() &&
          holdsPath(mountPoint, resolved)) {
        best = mountPoint;
      }
    }
    root = utf8ToWideLenient(best);
    return ERROR_SUCCESS;
  }
};

}  // namespace

FileSystem& systemFileSystem() {
  static PosixFileSystem fileSystem;
  return fileSystem;
}

}  // namespace wc
