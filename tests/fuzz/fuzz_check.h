#pragma once
// What the fuzz targets share: a failed expectation stops the run with a
// message, so libFuzzer keeps the input that broke it, a scratch directory of
// the process for targets that go through files, and a private machine for
// the targets that read machine-wide state.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wc {

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

// The pieces of `text` between the separators; empty pieces only when asked.
template <class Char>
std::vector<std::basic_string<Char>> splitOn(std::basic_string_view<Char> text, Char separator, bool keepEmpty) {
  std::vector<std::basic_string<Char>> pieces;
  for (size_t pos = 0; pos <= text.size();) {
    const size_t end = std::min(text.find(separator, pos), text.size());
    if (keepEmpty || end > pos) pieces.emplace_back(text.substr(pos, end - pos));
    pos = end + 1;
  }
  return pieces;
}

// Makes a root under the scratch directory, writes its settings file with
// the header line and `registryBody`, and points HCP_SYSTEM_ROOT at it for
// the rest of the process.
void useSandboxMachine(const std::string& registryBody);

// Sets a variable of the process environment.
void setEnvironmentVariable(const std::string& name, const std::string& value);

}  // namespace fuzzing

}  // namespace wc
