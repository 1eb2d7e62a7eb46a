#pragma once
// Reading and writing a text file as a list of 8-bit lines, for vtextfile.
// `function` names the caller in the call point of a failure.

#include <string>
#include <vector>

// Appends the lines of the file at `path` (cut as LineSplitter does), reading
// it in chunks of 4096 bytes. Throws the OS-error exception of "Open file
// '<path>' to read" or "Read from file '<path>'"; the lines read up to a
// failure stay in `lines`.
void readTextLines(const std::wstring& path, std::vector<std::string>& lines, const char* function);

// Writes every line followed by CR LF to the file at `path`, which is created
// anew. Throws the OS-error exception of "Open file '<path>' to write" or
// "Write to file '<path>'", or a vexception "Write to file '<path>' failed"
// when a write takes fewer bytes than it was given.
void writeTextLines(const std::wstring& path, const std::vector<std::string>& lines, const char* function);
