#pragma once
// Replacing a file as a whole so that a crash never leaves it half-written:
// the bytes go to a temporary file in the same directory, are flushed, and the
// temporary file is renamed over the old one; the old file's mode and owner are
// kept. A symbolic link stays a link: the file it points at is replaced, with
// the temporary file beside that file. Used for server.xml, realm files, the
// removal work list, the service stand-in's status records and hcpreg exports
// (the settings store has its own, under its file lock).

#include <optional>
#include <string>
#include <string_view>

#include "base/files/file_system.h"

// The temporary file is private to its owner until it is complete; then it
// gets `permissions` when given, else the old file's owner and access, or
// mode 0644 for a new file.
//
// Throws the OS-error exception of the failing step ("Write to file '<path>'",
// "Rename file '<tmp>' to '<path>'", ..., where <path> is the link's target for
// a link) with the call point "replaceFileAtomically"; the old file is then
// unchanged.
void replaceFileAtomically(const std::wstring& path, std::string_view bytes,
                           const FilePermissions* permissions = nullptr);

// The name of the file whose replacement left the temporary file `name`
// behind, when a run was killed before its rename: "server.xml" for
// "server.xml.~4711.1.tmp". Nothing for a name that is not of that form.
std::optional<std::wstring_view> replacedFileOfTemporary(std::wstring_view name);
