#pragma once
// Replaces a file the way server.xml must be replaced: the bytes go to a
// temporary file beside it, are flushed to the disk, and the temporary file is
// renamed over the old one. With SyncDirectory::Yes the directory is flushed
// too, so that the rename itself survives a crash.

#include <string>
#include <string_view>

namespace floorwork {

enum class SyncDirectory { No, Yes };

// Throws std::runtime_error naming the step that failed.
void replaceFileDurably(const std::string& path, std::string_view bytes,
                        SyncDirectory syncDirectory = SyncDirectory::No);

}  // namespace floorwork
