#pragma once
// Access lists of files and directories: what the portable access settings
// (DirectoryAccess, FilePermissions) stand for on Windows. Windows side of
// the files seam only; every call answers 0 or a Windows error code.

#include <cstdint>
#include <string>

#include "base/files/file_system.h"
#include "base/system/unique_handle_win32.h"

namespace wc {

// A self-relative security descriptor for a new directory with `access`.
uint32_t directorySecurityDescriptor(const DirectoryAccess& access, UniqueLocalMemory& descriptor);

// A mode with read access for the group or others keeps the access that
// the file inherits from its directory; an owner-only mode gives access to
// the owner, the system and the administrators only; `groupOf` gives the
// access list of that path.
uint32_t applyFilePermissions(const std::wstring& path, const FilePermissions& permissions);

// Gives `to` the owner (where the caller may set it) and access list of `from`.
uint32_t copyOwnerAndAccessList(const std::wstring& from, const std::wstring& to);

// Creates the directory `path` with the whole security descriptor of
// `model` (owner, group, access list, audit list), the restore and security
// privileges enabled meanwhile. Where they cannot be (not held, or a system
// that only pretends to have them) and the audit list cannot be read, it gets
// the owner, group and access list; where the owner cannot be set, the caller
// owns it (see copyOwnerAndAccessList).
uint32_t createDirectoryWithSecurityOf(const std::wstring& path, const std::wstring& model);

// Adds an entry that allows the calling user to delete the entry and write
// its attributes.
uint32_t grantCallerDeleteAccess(const std::wstring& path);

}  // namespace wc
