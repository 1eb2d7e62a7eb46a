#pragma once
// What the fuzz targets share: a failed expectation stops the run with a
// message, so libFuzzer keeps the input that broke it, and a scratch directory
// of the process for targets that go through files.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fuzzing {

// Prints "expectation failed: <what>" with the detail and aborts.
[[noreturn]] void fail(std::string_view what, std::string_view detail = {});

inline void check(bool condition, std::string_view what, std::string_view detail = {}) {
  if (!condition) fail(what, detail);
}

// A text in the log's narrow form, for messages.
std::string narrow(std::wstring_view text);

// A fresh directory under the temporary directory (TMPDIR), made at the first
// call and removed with its contents when the process ends normally.
const std::string& scratchDirectory();

// Writes the bytes to a file of that name in the scratch directory and
// returns its path.
std::string writeScratchFile(std::string_view name, std::string_view bytes);
std::string readWholeFile(const std::string& path);

}  // namespace fuzzing
