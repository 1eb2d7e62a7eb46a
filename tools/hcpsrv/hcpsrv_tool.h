#pragma once
// hcpsrv's command line, the same on every platform: no argument runs the
// management service, --help (-h, /?) prints `usage`, --version the version.

#include <string>
#include <vector>

namespace wc {

// Returns the exit code: 0 after a stop request, --help or --version, 1 when
// the pipe cannot be served or an argument is unknown.
int runHcpsrv(const std::vector<std::wstring>& args, const char* usage);

}  // namespace wc
