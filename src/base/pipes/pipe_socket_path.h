#pragma once
// Names of pipes, and where a named pipe lives on POSIX: "\\.\pipe\NAME" is
// the Unix socket run/halvo/pipes/NAME under the sandbox root. Shared by the
// client and the reference management service.

#include <optional>
#include <string>
#include <string_view>

namespace wc {

// The prefix of every pipe name.
inline constexpr std::wstring_view kPipeNamePrefix = L"\\\\.\\pipe\\";

// True when `pipeName` is "\\.\pipe\" (any letter case) followed by a plain
// name: not empty, no '/' or '\', not "." or "..".
bool isPlainPipeName(std::wstring_view pipeName);

// The socket path, or nothing when `pipeName` is not a plain pipe name.
std::optional<std::wstring> socketPathOfPipe(std::wstring_view pipeName);

}  // namespace wc
