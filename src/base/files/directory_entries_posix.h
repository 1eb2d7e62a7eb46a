#pragma once
// The entries of a directory that is open, as FileSystem::listDirectory gives
// them. POSIX side of the files seam only (open_directory_posix.cpp).

#include <cstdint>
#include <string>
#include <vector>

#include "base/files/file_system.h"

namespace wc {

// Opens the directory `name` under `parent` (a descriptor, or AT_FDCWD for a
// full path) and reads its entries, "." and ".." left out. Answers the
// Windows code of a failure (ERROR_PATH_NOT_FOUND for a missing directory).
uint32_t listDirectoryAt(int parent, const std::string& name, std::vector<DirectoryEntry>& entries);

}  // namespace wc
