#pragma once
// Writing a small file whole, in one go, for the redirector files that are
// created or reset rather than edited line by line.

#include <string>
#include <string_view>

// Creates the file at `path` with exactly `bytes` (write access, shared for
// reading). With `overwrite` an existing file is truncated first; without it an
// existing file is left as it is and the answer is false. Throws the OS-error
// exception of "Open file '<path>' to write" or "Write to file '<path>'", or a
// vexception "Write to file '<path>' failed" for a short write.
bool writeWholeFile(const std::wstring& path, std::string_view bytes, bool overwrite);
