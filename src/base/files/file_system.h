#pragma once
// The operating system's file calls that the file helpers need, in the shape
// of the Windows calls (DeleteFile, RemoveDirectory, MoveFileEx, ...): every
// call answers 0 or a Windows error code and never throws. The helpers above
// turn codes into exceptions with their own texts, so that tests can put a
// fault-injecting double in place of the real file system.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/files/file.h"

namespace wc {

// GetFileAttributesW, reduced to what the helpers ask.
struct FileAttributes {
  bool directory = false;
  // The read-only attribute; on POSIX: no write bit for anyone.
  bool readOnly = false;
};

// One entry of a directory listing ("." and ".." are never listed).
struct DirectoryEntry {
  std::wstring name;
  bool directory = false;
  // Where the listing tells it without a look at the entry (POSIX: the
  // directory's st_dev and the entry's d_ino), the identity that
  // readFileIdentity gives the entry (see same_file.h), size aside; 0 and 0
  // elsewhere. A symbolic link has its own, and a mount point that of what
  // it covers.
  uint64_t volume = 0;
  uint64_t fileNumber = 0;
};

// The access a new directory gets.
struct DirectoryAccess {
  bool ownerRoot = false;  // POSIX: owner and group become root
  uint32_t mode = 0755;    // POSIX permission bits

  // Full access for administrators and the system account, read and execute
  // for everyone else: on POSIX owner root with mode 0755.
  static DirectoryAccess fullAccessForAdministratorsAndSystem() { return {true, 0755}; }
};

// Who may read a file. On POSIX a mode and the group of another path (empty:
// the group stays); on Windows the access list those stand for.
struct FilePermissions {
  uint32_t mode = 0644;
  std::wstring groupOf;
};

// MoveFileEx flags.
constexpr uint32_t MOVE_REPLACE_EXISTING = 0x1;
constexpr uint32_t MOVE_COPY_ALLOWED = 0x2;

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // ERROR_FILE_NOT_FOUND / ERROR_PATH_NOT_FOUND when the path is missing.
  virtual uint32_t getAttributes(const std::wstring& path, FileAttributes& attributes) = 0;
  virtual uint32_t setReadOnly(const std::wstring& path, bool readOnly) = 0;
  // Gives the caller delete and attribute-write access to the entry (the
  // forced removal's first step).
  virtual uint32_t grantDeleteAccess(const std::wstring& path) = 0;
  // Deletes a file; a read-only file or a directory is ERROR_ACCESS_DENIED.
  virtual uint32_t deleteFile(const std::wstring& path) = 0;
  // Removes an empty directory; a read-only one is ERROR_ACCESS_DENIED.
  virtual uint32_t removeDirectory(const std::wstring& path) = 0;
  // Moves a file or directory. Without MOVE_REPLACE_EXISTING an existing
  // target is ERROR_ALREADY_EXISTS; an existing directory is never replaced
  // (ERROR_ACCESS_DENIED). MOVE_COPY_ALLOWED lets a file cross volumes.
  virtual uint32_t moveFile(const std::wstring& from, const std::wstring& to, uint32_t flags) = 0;
  // Puts the complete file `replacement` in the place of `replaced`, which
  // may be missing, in one rename (MoveFileExW with MOVEFILE_REPLACE_EXISTING
  // and MOVEFILE_WRITE_THROUGH), keeping the replaced file's hidden and
  // system attributes. Another process that holds `replaced` open without
  // delete sharing makes Windows refuse (ERROR_SHARING_VIOLATION,
  // ERROR_ACCESS_DENIED); POSIX renames over an open file: there it is
  // moveFile with MOVE_REPLACE_EXISTING, which doubles inherit.
  virtual uint32_t replaceFile(const std::wstring& replaced, const std::wstring& replacement);
  // Creates one directory (its parent must exist); `access` may be null for
  // the system's defaults. An existing entry is ERROR_ALREADY_EXISTS.
  virtual uint32_t createDirectory(const std::wstring& path, const DirectoryAccess* access) = 0;
  // Creates one directory with the security descriptor of the directory
  // `model`: owner, group, access list and, where the caller may read it,
  // audit list. Windows enables the restore and security privileges for the
  // call (see access_lists_win32.h). The default: createDirectory, then
  // copySecurity; no directory stays when that fails.
  virtual uint32_t createDirectoryLike(const std::wstring& path, const std::wstring& model);
  virtual uint32_t createHardLink(const std::wstring& newPath, const std::wstring& existing) = 0;
  // Copies content, attributes and modification time; an existing target is
  // ERROR_FILE_EXISTS when `failIfExists`.
  virtual uint32_t copyFile(const std::wstring& from, const std::wstring& to, bool failIfExists) = 0;
  // Gives `to` the owner and access list of `from` (GetSecurityInfo +
  // SetSecurityInfo; on POSIX owner, group and mode).
  virtual uint32_t copySecurity(const std::wstring& from, const std::wstring& to) = 0;
  // Gives the file the permissions (SetSecurityInfo; on POSIX chmod, chown).
  virtual uint32_t setPermissions(const std::wstring& path, const FilePermissions& permissions) = 0;
  // FindFirstFile/FindNextFile over "*": every entry of a directory.
  virtual uint32_t listDirectory(const std::wstring& path, std::vector<DirectoryEntry>& entries) = 0;
  // CreateFile + ReadFile: the whole content of a file. Both platforms do
  // it through File; doubles override it to inject faults.
  virtual uint32_t readFile(const std::wstring& path, std::string& content);
  // CreateFile + WriteFile (+ FlushFileBuffers when `durable`), through File.
  virtual uint32_t writeFile(const std::wstring& path, std::string_view content, FileDisposition disposition,
                             bool durable);
  // The bytes of the file `from` written into `to` (created or cut short,
  // not replaced: whoever holds it open keeps it), a piece at a time and
  // durably, through File.
  virtual uint32_t writeFileFrom(const std::wstring& to, const std::wstring& from);
  // The root of the volume that holds an absolute path (on POSIX the mount
  // point, from the mount table).
  virtual uint32_t volumeRoot(const std::wstring& path, std::wstring& root) = 0;
};

// The system's file system (file_system_<platform>.cpp).
FileSystem& systemFileSystem();

}  // namespace wc
