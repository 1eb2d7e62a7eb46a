#pragma once
// Whether two paths name one file: the hard links of a file share its
// identity on its volume, a copy has its own.

#include <cstdint>
#include <optional>
#include <string>

namespace wc {

// What tells a file from every other, from one look at it: its volume and
// its number there (POSIX st_dev and st_ino; Windows the volume serial
// number and the file index), with its size in bytes.
struct FileIdentity {
  uint64_t volume = 0;
  uint64_t index = 0;
  uint64_t size = 0;

  bool isSameFileAs(const FileIdentity& other) const { return volume == other.volume && index == other.index; }
};

// Looks at the file or directory that `path` names, symbolic links followed.
// Answers 0 or a Windows error code (ERROR_FILE_NOT_FOUND, ...).
uint32_t readFileIdentity(const std::wstring& path, FileIdentity& identity);

// The identity of `path`; nothing when it or a directory on the way is
// missing. Any other failure throws the OS-error exception with the path
// (call point "fileIdentity").
std::optional<FileIdentity> fileIdentity(const std::wstring& path);

// Whether both paths exist and name one file. Failures as fileIdentity.
bool sameFile(const std::wstring& first, const std::wstring& second);

}  // namespace wc
