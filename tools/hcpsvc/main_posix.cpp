// hcpsvc's entry on POSIX: the service control of the panel's programs starts
// it, detached, as "hcpsvc --run <service name> [--ready-fd <fd>]" to run one
// service's command until the command ends. Arguments arrive as UTF-8.

#include <string>
#include <vector>

#include "base/services/service_host.h"
#include "base/text/convert.h"

using namespace wc;

int main(int argc, char** argv) {
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) args.push_back(wstrLenient(argv[i]));
  return runServiceProgram(args);
}
