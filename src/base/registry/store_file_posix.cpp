#include "base/registry/store_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "base/errors/win_error_codes.h"
#include "base/system/errno_posix.h"
#include "base/system/unique_handle.h"
#include "base/text/convert.h"

namespace wc {

namespace registry {

namespace {

// A writer that found the file replaced while it waited for the lock tries
// again; this many replacements in a row mean something is badly wrong.
constexpr int kMaxLockAttempts = 1000;

uint32_t lockFile(int fd, int operation) {
  while (flock(fd, operation) != 0) {
    if (errno != EINTR) return lastWindowsError();
  }
  return 0;
}

uint32_t readAll(int fd, std::string& text) {
  text.clear();
  char buffer[65536];
  off_t offset = 0;
  while (true) {
    ssize_t n = pread(fd, buffer, sizeof buffer, offset);
    if (n < 0) {
      if (errno == EINTR) continue;
      return lastWindowsError();
    }
    if (n == 0) return 0;
    text.append(buffer, static_cast<size_t>(n));
    offset += n;
  }
}

uint32_t writeAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return lastWindowsError();
    }
    done += static_cast<size_t>(n);
  }
  return 0;
}

uint32_t makeDirectories(const std::string& dir) {
  for (size_t pos = 1; pos != std::string::npos;) {
    pos = dir.find('/', pos + 1);
    std::string partial = dir.substr(0, pos);
    if (mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) return lastWindowsError();
  }
  return 0;
}

std::string directoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The temporary file of a replacement; removed unless it was renamed.
class TemporaryFile {
 public:
  uint32_t create(const std::string& path) {
    std::vector<char> name(path.begin(), path.end());
    const char suffix[] = ".XXXXXX";
    name.insert(name.end(), suffix, suffix + sizeof suffix);
    fd_.reset(mkostemp(name.data(), O_CLOEXEC));
    if (!fd_.valid()) return lastWindowsError();
    path_.assign(name.data());
    return 0;
  }
  ~TemporaryFile() {
    if (!path_.empty()) unlink(path_.c_str());
  }
  int fd() const { return fd_.get(); }
  const std::string& path() const { return path_; }
  uint32_t close() {
    int fd = fd_.release();
    return ::close(fd) == 0 ? 0 : lastWindowsError();
  }
  void committed() { path_.clear(); }

 private:
  UniqueFd fd_;
  std::string path_;
};

uint32_t replaceFile(const std::string& path, const struct stat& old, const std::string& text) {
  TemporaryFile temp;
  if (uint32_t error = temp.create(path)) return error;
  if (fchmod(temp.fd(), old.st_mode & 07777) != 0) return lastWindowsError();
  if (fchown(temp.fd(), old.st_uid, old.st_gid) != 0) {
    // Only the owner changes then; a process that may not give files away
    // writes the store as its own.
  }
  if (uint32_t error = writeAll(temp.fd(), text)) return error;
  if (fsync(temp.fd()) != 0) return lastWindowsError();
  if (uint32_t error = temp.close()) return error;
  if (rename(temp.path().c_str(), path.c_str()) != 0) return lastWindowsError();
  temp.committed();
  // Make the rename itself durable; the data is already safe either way.
  UniqueFd dir(open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.valid()) fsync(dir.get());
  return 0;
}

}  // namespace

uint32_t readStoreFile(const std::wstring& path, std::string& text, bool& exists) {
  std::string file = cstrLenient(path);
  UniqueFd fd(open(file.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) {
    if (errno == ENOENT || errno == ENOTDIR) {
      exists = false;
      text.clear();
      return 0;
    }
    return lastWindowsError();
  }
  if (uint32_t error = lockFile(fd.get(), LOCK_SH)) return error;
  if (uint32_t error = readAll(fd.get(), text)) return error;
  exists = true;
  return 0;
}

uint32_t updateStoreFile(const std::wstring& path, const StoreFileChange& change) {
  std::string file = cstrLenient(path);
  if (uint32_t error = makeDirectories(directoryOf(file))) return error;
  for (int attempt = 0; attempt < kMaxLockAttempts; ++attempt) {
    UniqueFd fd(open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (!fd.valid()) return lastWindowsError();
    if (uint32_t error = lockFile(fd.get(), LOCK_EX)) return error;
    // Another writer may have replaced the file while this one waited: the
    // lock then belongs to the old file, and the new one must be locked.
    struct stat locked {
    }, current{};
    if (fstat(fd.get(), &locked) != 0) return lastWindowsError();
    if (stat(file.c_str(), &current) != 0 || current.st_ino != locked.st_ino || current.st_dev != locked.st_dev) {
      continue;
    }
    std::string text;
    if (uint32_t error = readAll(fd.get(), text)) return error;
    std::optional<std::string> replacement;
    if (uint32_t error = change(text, replacement)) return error;
    if (!replacement) return 0;
    return replaceFile(file, locked, *replacement);
  }
  return ERROR_SHARING_VIOLATION;
}

}  // namespace registry

}  // namespace wc
