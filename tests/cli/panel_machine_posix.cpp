// The panel machine on POSIX: the stand-in service manager of the sandbox
// root, which finds the service host beside wcadmin and keeps a status record
// for each service.

#include "cli/panel_machine.h"

#include <cstdlib>
#include <sstream>

namespace wc {

namespace cli {

std::string libraryFile(const std::string& name) { return "lib" + name + ".so"; }

std::string linuxPath(const std::string& path) { return path; }

std::string consoleLines(const std::string& out) { return out; }

bool hasLinuxProgram(const std::string& name) {
  return system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

const std::string kDumpSignature =
    "\x7f"
    "ELF";

std::string hostedImagePath(const std::string& command) { return command; }

void deleteRemovalWorkItem() {}

int PanelMachine::servicePid(const std::string& name) const {
  std::string status = path("run/halvo/services/" + name + "/status");
  if (!testing_support::pathExists(status)) return 0;
  std::istringstream in(testing_support::readFile(status));
  std::string line;
  int state = 0, pid = 0;
  while (std::getline(in, line)) {
    if (line.rfind("currentState=", 0) == 0) state = std::stoi(line.substr(13));
    if (line.rfind("processId=", 0) == 0) pid = std::stoi(line.substr(10));
  }
  return state == 4 || state == 2 ? pid : 0;
}

}  // namespace cli

}  // namespace wc
