#include "base/files/file.h"

#include <windows.h>

#include "base/errors/win_error_codes.h"
#include "base/files/handle_identity_win32.h"
#include "base/files/long_path_win32.h"
#include "base/system/unique_handle_win32.h"

namespace wc {

struct File::Impl {
  UniqueFileHandle handle;
};

File::File() = default;
File::~File() = default;
File::File(File&&) noexcept = default;
File& File::operator=(File&&) noexcept = default;

namespace {

DWORD creationDisposition(FileDisposition disposition) {
  switch (disposition) {
    case FileDisposition::CreateNew:
      return CREATE_NEW;
    case FileDisposition::CreateAlways:
      return CREATE_ALWAYS;
    case FileDisposition::OpenExisting:
      return OPEN_EXISTING;
    case FileDisposition::OpenAlways:
      return OPEN_ALWAYS;
    case FileDisposition::TruncateExisting:
      return TRUNCATE_EXISTING;
  }
  return OPEN_EXISTING;
}

// Reads until `size` bytes are in or the file ends; `readSome(at, room,
// done, got)` is one ReadFile into `at`, `done` bytes into the buffer.
template <class ReadSome>
uint32_t readFully(const File::Impl* impl, void* buffer, uint32_t size, uint32_t& transferred, ReadSome&& readSome) {
  transferred = 0;
  if (!impl || !impl->handle.valid()) return ERROR_INVALID_HANDLE;
  auto* bytes = static_cast<char*>(buffer);
  while (transferred < size) {
    DWORD got = 0;
    if (!readSome(bytes + transferred, size - transferred, transferred, got)) {
      const DWORD error = GetLastError();
      if (error == ERROR_HANDLE_EOF) break;
      return error;
    }
    if (got == 0) break;
    transferred += got;
  }
  return ERROR_SUCCESS;
}

}  // namespace

uint32_t File::open(const std::wstring& path, uint32_t access, uint32_t share, FileDisposition disposition) {
  close();
  if (path.empty()) return ERROR_PATH_NOT_FOUND;
  HANDLE handle = CreateFileW(longPathForm(path).c_str(), access, share, nullptr, creationDisposition(disposition),
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return GetLastError();
  auto impl = std::make_unique<Impl>();
  impl->handle.reset(handle);
  impl_ = std::move(impl);
  return ERROR_SUCCESS;
}

bool File::isOpen() const { return impl_ && impl_->handle.valid(); }

uint32_t File::read(void* buffer, uint32_t size, uint32_t& transferred) {
  return readFully(impl_.get(), buffer, size, transferred, [this](char* at, DWORD room, uint32_t, DWORD& got) {
    return ReadFile(impl_->handle.get(), at, room, &got, nullptr);
  });
}

uint32_t File::readAt(uint64_t offset, void* buffer, uint32_t size, uint32_t& transferred) {
  return readFully(impl_.get(), buffer, size, transferred,
                   [this, offset](char* at, DWORD room, uint32_t done, DWORD& got) {
                     // On a handle opened for synchronous I/O the read starts at
                     // the structure's offset and ends before the call returns.
                     OVERLAPPED position{};
                     position.Offset = static_cast<DWORD>(offset + done);
                     position.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
                     return ReadFile(impl_->handle.get(), at, room, &got, &position);
                   });
}

uint32_t File::write(const void* buffer, uint32_t size, uint32_t& transferred) {
  transferred = 0;
  if (!isOpen()) return ERROR_INVALID_HANDLE;
  const auto* bytes = static_cast<const char*>(buffer);
  while (transferred < size) {
    DWORD put = 0;
    if (!WriteFile(impl_->handle.get(), bytes + transferred, size - transferred, &put, nullptr)) {
      return GetLastError();
    }
    if (put == 0) return ERROR_WRITE_FAULT;
    transferred += put;
  }
  return ERROR_SUCCESS;
}

uint32_t File::seekToEnd(uint64_t& position) {
  position = 0;
  if (!isOpen()) return ERROR_INVALID_HANDLE;
  LARGE_INTEGER end{};
  if (!SetFilePointerEx(impl_->handle.get(), LARGE_INTEGER{}, &end, FILE_END)) return GetLastError();
  position = static_cast<uint64_t>(end.QuadPart);
  return ERROR_SUCCESS;
}

uint32_t File::identity(FileIdentity& identity) {
  if (!isOpen()) return ERROR_INVALID_HANDLE;
  return readHandleIdentity(impl_->handle.get(), identity);
}

uint32_t File::flush() {
  if (!isOpen()) return ERROR_INVALID_HANDLE;
  if (!FlushFileBuffers(impl_->handle.get())) return GetLastError();
  return ERROR_SUCCESS;
}

uint32_t File::close() {
  if (!isOpen()) {
    impl_.reset();
    return ERROR_SUCCESS;
  }
  HANDLE handle = impl_->handle.release();
  impl_.reset();
  if (!CloseHandle(handle)) return GetLastError();
  return ERROR_SUCCESS;
}

}  // namespace wc
