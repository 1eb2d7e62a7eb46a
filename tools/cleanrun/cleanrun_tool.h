#pragma once
// cleanrun's command line, the same on every platform.

#include <string>
#include <vector>

namespace wc {

// The arguments without the program's name; returns the exit code.
int runCleanrun(const std::vector<std::wstring>& args);

}  // namespace wc
