#pragma once
// Replaces a file the way server.xml must be replaced: the bytes go to a
// temporary file beside it, are flushed to the disk, and the temporary file is
// renamed over the old one.

#include <string>
#include <string_view>

namespace floorwork {

// Throws std::runtime_error naming the step that failed.
void replaceFileDurably(const std::string& path, std::string_view bytes);

}  // namespace floorwork
