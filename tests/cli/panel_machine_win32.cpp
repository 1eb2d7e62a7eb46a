// The panel machine on Windows: the Service Control Manager, with the built
// service host (hcpsvc.exe) running each POSIX command line.

#include "cli/panel_machine.h"

#include <algorithm>

#include "base/text/convert.h"

// After the project's headers: the macros of the Windows headers carry the
// same names as the service constants.
#include <windows.h>

namespace cli {

std::string libraryFile(const std::string& name) { return name + ".dll"; }

std::string hostedImagePath(const std::string& command) {
  std::string host = testing_support::binPath("hcpsvc") + ".exe";
  std::replace(host.begin(), host.end(), '/', '\\');
  return "\"" + host + "\" " + command;
}

int PanelMachine::servicePid(const std::string& name) const {
  SERVICE_STATUS_PROCESS status{};
  DWORD needed = 0;
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE service = manager ? OpenServiceW(manager, wstrLenient(name).c_str(), SERVICE_QUERY_STATUS) : nullptr;
  const bool known = service && QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                                     sizeof status, &needed);
  if (service) CloseServiceHandle(service);
  if (manager) CloseServiceHandle(manager);
  const bool runs = status.dwCurrentState == SERVICE_RUNNING || status.dwCurrentState == SERVICE_START_PENDING;
  return known && runs ? static_cast<int>(status.dwProcessId) : 0;
}

}  // namespace cli
