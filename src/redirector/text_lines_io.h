#pragma once
// Reading and writing a text file as a list of 8-bit lines, for vtextfile.
// `function` names the caller in the call point of a failure.

#include <string>
#include <string_view>
#include <vector>

// Reads the whole file at `path` into `text` and appends a view into `text`
// of each of its lines (cut as LineCutter does) to `lines`. Throws the
// OS-error exception of "Open file '<path>' to read" or "Read from file
// '<path>'"; on a failed read `text` holds the bytes read before it and
// `lines` the lines whose break was among them.
void readTextLines(const std::wstring& path, std::string& text, std::vector<std::string_view>& lines,
                   const char* function);

// Writes every line followed by CR LF to the file at `path`, which is created
// anew. Throws the OS-error exception of "Open file '<path>' to write" or
// "Write to file '<path>'", or a vexception "Write to file '<path>' failed"
// when a write takes fewer bytes than it was given.
void writeTextLines(const std::wstring& path, const std::vector<std::string_view>& lines, const char* function);
