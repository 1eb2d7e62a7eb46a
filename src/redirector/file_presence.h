#pragma once
// Whether a redirector file is there to be edited.

#include <string>

// False only when the file or a directory on its path is missing. A file that
// is there but cannot be opened counts as present, so that the edit which
// follows reports why it cannot be read instead of silently doing nothing.
bool fileIsPresent(const std::wstring& path);
