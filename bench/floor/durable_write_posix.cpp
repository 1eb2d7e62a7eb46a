#include "floor/durable_write.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace floorwork {

namespace {
[[noreturn]] void fail(const std::string& what, const std::string& path) {
  throw std::runtime_error(what + " '" + path + "': " + std::strerror(errno));
}
}  // namespace

void replaceFileDurably(const std::string& path, std::string_view bytes, SyncDirectory syncDirectory) {
  const std::string temporary = path + ".~floor.tmp";
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) fail("cannot create", temporary);
  const char* data = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    ssize_t written = ::write(fd, data, left);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      ::close(fd);
      fail("cannot write", temporary);
    }
    data += written;
    left -= static_cast<size_t>(written);
  }
  if (::fsync(fd) != 0) {
    ::close(fd);
    fail("cannot flush", temporary);
  }
  ::close(fd);
  if (::rename(temporary.c_str(), path.c_str()) != 0) fail("cannot rename over", path);
  if (syncDirectory == SyncDirectory::No) return;
  const size_t slash = path.rfind('/');
  const std::string directory = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  int dirFd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0) fail("cannot open", directory);
  if (::fsync(dirFd) != 0) {
    const int error = errno;
    ::close(dirFd);
    errno = error;
    fail("cannot flush", directory);
  }
  ::close(dirFd);
}

}  // namespace floorwork
