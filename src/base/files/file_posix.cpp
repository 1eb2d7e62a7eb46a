#include "base/files/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "base/errors/win_error_codes.h"
#include "base/files/path_error_posix.h"
#include "base/system/errno_posix.h"
#include "base/system/unique_handle.h"

namespace wc {

struct File::Impl {
  UniqueFd fd;
  uint32_t access = 0;
  uint32_t share = 0;        // kept for the Windows build's semantics; not enforced here
  uint64_t unsubmitted = 0;  // bytes written since the writeback was last started
};

File::File() = default;
File::~File() = default;
File::File(File&&) noexcept = default;
File& File::operator=(File&&) noexcept = default;

namespace {

// A large file is written in pieces of this size, and the disk is asked to
// start writing each piece back at once, so that the flush of a file written
// whole (a replacement) waits for its last piece only instead of for all.
constexpr uint32_t kWritebackPiece = 1u << 20;

int creationFlags(FileDisposition disposition) {
  switch (disposition) {
    case FileDisposition::CreateNew:
      return O_CREAT | O_EXCL;
    case FileDisposition::CreateAlways:
      return O_CREAT | O_TRUNC;
    case FileDisposition::OpenExisting:
      return 0;
    case FileDisposition::OpenAlways:
      return O_CREAT;
    case FileDisposition::TruncateExisting:
      return O_TRUNC;
  }
  return 0;
}

// Windows refuses to open a directory as a file, and refuses write access to
// a file with the read-only attribute (here: no write bit for anyone) even
// for administrators; root would get through on POSIX, so ask first.
uint32_t refusedLikeWindows(const std::string& path, bool wantsWrite) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return ERROR_SUCCESS;
  if (S_ISDIR(st.st_mode)) return ERROR_ACCESS_DENIED;
  if (wantsWrite && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return ERROR_ACCESS_DENIED;
  return ERROR_SUCCESS;
}

// Reads until `size` bytes are in or the file ends; `readSome(at, room, done)`
// is one call that reads into `at`, `done` bytes into the buffer.
template <class ReadSome>
uint32_t readFully(const File::Impl* impl, void* buffer, uint32_t size, uint32_t& transferred, ReadSome&& readSome) {
  transferred = 0;
  if (!impl || !impl->fd.valid()) return ERROR_INVALID_HANDLE;
  if ((impl->access & FILE_ACCESS_READ) == 0) return ERROR_ACCESS_DENIED;
  auto* bytes = static_cast<char*>(buffer);
  while (transferred < size) {
    ssize_t got = readSome(bytes + transferred, size - transferred, transferred);
    if (got < 0) {
      if (errno == EINTR) continue;
      return lastWindowsError();
    }
    if (got == 0) break;
    transferred += static_cast<uint32_t>(got);
  }
  return ERROR_SUCCESS;
}

}  // namespace

uint32_t File::open(const std::wstring& path, uint32_t access, uint32_t share, FileDisposition disposition) {
  close();
  if (path.empty()) return ERROR_PATH_NOT_FOUND;
  std::optional<std::string> name = systemPath(path);
  if (!name) return ERROR_INVALID_NAME;
  const bool wantsRead = (access & FILE_ACCESS_READ) != 0;
  const bool wantsWrite = (access & FILE_ACCESS_WRITE) != 0;
  if (disposition == FileDisposition::TruncateExisting && !wantsWrite) return ERROR_INVALID_PARAMETER;
  if (uint32_t refused = refusedLikeWindows(*name, wantsWrite)) {
    if (disposition == FileDisposition::CreateNew) return ERROR_FILE_EXISTS;
    return refused;
  }

  int flags = O_CLOEXEC | creationFlags(disposition);
  if (wantsWrite) {
    flags |= wantsRead ? O_RDWR : O_WRONLY;
  } else {
    flags |= O_RDONLY;
  }
  int fd;
  do {
    fd = ::open(name->c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    int error = errno;
    if (error == EEXIST) return ERROR_FILE_EXISTS;
    return windowsErrorForPath(error, *name);
  }
  auto impl = std::make_unique<Impl>();
  impl->fd.reset(fd);
  impl->access = access;
  impl->share = share;
  impl_ = std::move(impl);
  return ERROR_SUCCESS;
}

bool File::isOpen() const { return impl_ && impl_->fd.valid(); }

uint32_t File::read(void* buffer, uint32_t size, uint32_t& transferred) {
  return readFully(impl_.get(), buffer, size, transferred,
                   [this](char* at, size_t room, size_t) { return ::read(impl_->fd.get(), at, room); });
}

uint32_t File::readAt(uint64_t offset, void* buffer, uint32_t size, uint32_t& transferred) {
  return readFully(impl_.get(), buffer, size, transferred, [this, offset](char* at, size_t room, size_t done) {
    return ::pread(impl_->fd.get(), at, room, static_cast<off_t>(offset + done));
  });
}

uint32_t File::write(const void* buffer, uint32_t size, uint32_t& transferred) {
  transferred = 0;
  if (!isOpen()) return ERROR_INVALID_HANDLE;
  if ((impl_->access & FILE_ACCESS_WRITE) == 0) return ERROR_ACCESS_DENIED;
  const auto* bytes = static_cast<const char*>(buffer);
  while (transferred < size) {
    ssize_t put = ::write(impl_->fd.get(), bytes + transferred, std::min(size - transferred, kWritebackPiece));
    if (put < 0) {
      if (errno == EINTR) continue;
      return lastWindowsError();
    }
    transferred += static_cast<uint32_t>(put);
    impl_->unsubmitted += static_cast<uint64_t>(put);
    if (impl_->unsubmitted >= kWritebackPiece) {
      // Only a request, for every page of the file not yet on its way: where
      // the file system cannot, the flush does it all.
      sync_file_range(impl_->fd.get(), 0, 0, SYNC_FILE_RANGE_WRITE);
      impl_->unsubmitted = 0;
    }
  }
  return ERROR_SUCCESS;
}

uint32_t File::seekToEnd(uint64_t& position) {
  position = 0;
  if (!isOpen()) return ERROR_INVALID_HANDLE;
  off_t end = ::lseek(impl_->fd.get(), 0, SEEK_END);
  if (end < 0) return lastWindowsError();
  position = static_cast<uint64_t>(end);
  return ERROR_SUCCESS;
}

uint32_t File::identity(FileIdentity& identity) {
  if (!isOpen()) return ERROR_INVALID_HANDLE;
  struct stat status {};
  if (::fstat(impl_->fd.get(), &status) != 0) return lastWindowsError();
  identity = {static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino),
              static_cast<uint64_t>(status.st_size)};
  return ERROR_SUCCESS;
}

uint32_t File::flush() {
  if (!isOpen()) return ERROR_INVALID_HANDLE;
  if (::fsync(impl_->fd.get()) != 0) return lastWindowsError();
  return ERROR_SUCCESS;
}

uint32_t File::close() {
  if (!isOpen()) {
    impl_.reset();
    return ERROR_SUCCESS;
  }
  int fd = impl_->fd.release();
  impl_.reset();
  // The descriptor is gone after close() whatever it answers (even EINTR).
  if (::close(fd) != 0 && errno != EINTR) return lastWindowsError();
  return ERROR_SUCCESS;
}

}  // namespace wc
