// hcpsvc: the service host. The service control of the panel's programs
// starts it for one service (on POSIX, detached, as "hcpsvc --run <service
// name> [--ready-fd <fd>]"; on Windows the Service Control Manager starts it
// as the service's program). It runs the service's command until the command
// ends.
//
// Both entry points are here: the platform's start-up code calls main, or
// wmain where programs are linked for wide arguments (Windows).

#include <string>
#include <vector>

#include "base/services/service_host.h"
#include "base/text/convert.h"

int main(int argc, char** argv) {
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) args.push_back(wstrLenient(argv[i]));
  return runServiceProgram(args);
}

int wmain(int argc, wchar_t** argv) {
  return runServiceProgram(std::vector<std::wstring>(argc > 0 ? argv + 1 : argv, argv + argc));
}
