#pragma once
// The settings file on disk, with its locks: readers share it, a writer holds
// it alone from reading the current text to replacing the file, so that two
// processes that change different values both keep their change.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace wc {

namespace registry {

// Reads the file under a shared lock: 0 with `exists` false when there is
// none, or the Windows error code of the failure.
uint32_t readStoreFile(const std::wstring& path, std::string& text, bool& exists);

// Gets the file's current text (empty for a new file) under the exclusive
// lock; answers 0 and sets `replacement` to have the file replaced.
using StoreFileChange = std::function<uint32_t(const std::string& current, std::optional<std::string>& replacement)>;

// Creates the file and its directory when missing, runs `change` under the
// exclusive lock and replaces the file atomically with the new text (a
// temporary file in the same directory, flushed, renamed over the old one,
// whose mode is kept). 0, the change's code, or the failing step's code; the
// old file is unchanged on failure.
uint32_t updateStoreFile(const std::wstring& path, const StoreFileChange& change);

}  // namespace registry

}  // namespace wc
