// hcpsvc.exe's entry: the Service Control Manager starts it as the program of
// a service whose ImagePath is this program followed by the command to run.

#include <string>
#include <vector>

#include "base/services/service_host.h"

using namespace wc;

int wmain(int argc, wchar_t** argv) {
  return runServiceProgram(std::vector<std::wstring>(argc > 0 ? argv + 1 : argv, argv + argc));
}
