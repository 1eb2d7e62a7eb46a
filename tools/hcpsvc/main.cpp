// hcpsvc: the service host of the POSIX service stand-in. The service control
// code starts it, detached, for one service:
//
//   hcpsvc --run <service name> [--ready-fd <fd>]
//
// It runs the service's command until the command ends and keeps the
// service's status record meanwhile.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/services/service_host.h"
#include "base/text/convert.h"

namespace {

int usage(const char* problem) {
  std::fprintf(stderr,
               "hcpsvc: %s\n"
               "usage: hcpsvc --run <service name> [--ready-fd <fd>]\n"
               "Runs the service defined under HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\<name>.\n"
               "It is started by the service control of the panel's programs, not by hand.\n",
               problem);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string name;
  int readyFd = -1;
  for (int i = 1; i < argc; ++i) {
    std::string argument = argv[i];
    if (argument == "--run" && i + 1 < argc) {
      name = argv[++i];
    } else if (argument == "--ready-fd" && i + 1 < argc) {
      char* end = nullptr;
      long fd = std::strtol(argv[++i], &end, 10);
      if (!end || *end != '\0' || fd < 0 || fd > 1024) return usage("--ready-fd needs a descriptor number");
      readyFd = static_cast<int>(fd);
    } else {
      return usage(("unknown argument '" + argument + "'").c_str());
    }
  }
  if (name.empty()) return usage("--run <service name> is required");
  return runServiceHost(wstrLenient(name), readyFd);
}
