#pragma once
// One open file in the shape of CreateFileW/ReadFile/WriteFile. Every call
// answers with 0 or a Windows error code; the callers turn codes into
// exceptions with their own texts. Share modes are recorded for the Windows
// build; POSIX does not enforce them.

#include <cstdint>
#include <memory>
#include <string>

#include "base/files/same_file.h"

namespace wc {

constexpr uint32_t FILE_ACCESS_READ = 0x80000000;   // GENERIC_READ
constexpr uint32_t FILE_ACCESS_WRITE = 0x40000000;  // GENERIC_WRITE
constexpr uint32_t FILE_SHARE_READ_ACCESS = 0x1;
constexpr uint32_t FILE_SHARE_WRITE_ACCESS = 0x2;
constexpr uint32_t FILE_SHARE_DELETE_ACCESS = 0x4;

enum class FileDisposition {
  CreateNew,         // fails with ERROR_FILE_EXISTS when present
  CreateAlways,      // creates or truncates
  OpenExisting,      // fails with ERROR_FILE_NOT_FOUND / ERROR_PATH_NOT_FOUND
  OpenAlways,        // creates when missing, keeps the content
  TruncateExisting,  // must exist; truncated
};

class File {
 public:
  File();
  ~File();
  File(File&&) noexcept;
  File& operator=(File&&) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  uint32_t open(const std::wstring& path, uint32_t access, uint32_t share, FileDisposition disposition);
  bool isOpen() const;
  // `transferred` 0 with result 0 means the end of the file.
  uint32_t read(void* buffer, uint32_t size, uint32_t& transferred);
  // Reads at `offset`, whatever the file position (which it may move);
  // `transferred` below `size` means the end of the file.
  uint32_t readAt(uint64_t offset, void* buffer, uint32_t size, uint32_t& transferred);
  uint32_t write(const void* buffer, uint32_t size, uint32_t& transferred);
  uint32_t seekToEnd(uint64_t& position);
  // The open file's volume, number and size (GetFileInformationByHandle /
  // fstat).
  uint32_t identity(FileIdentity& identity);
  // Makes the written bytes durable (FlushFileBuffers / fsync).
  uint32_t flush();
  uint32_t close();

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace wc
