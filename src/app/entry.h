#pragma once
// The platform-independent part of the process entry.

#include <string>
#include <vector>

namespace wc {

// Sets the error mode, builds the application object, runs it and returns the
// exit code. `args` holds the program path first.
int runEntry(const std::vector<std::wstring>& args);

}  // namespace wc
