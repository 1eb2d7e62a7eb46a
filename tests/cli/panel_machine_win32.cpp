// The panel machine on Windows: the Service Control Manager, with the built
// service host (hcpsvc.exe) running each POSIX command line.

#include "cli/panel_machine.h"

#include "base/removal/removal_task.h"
#include "base/system/com_apartment.h"
#include "base/text/convert.h"

// After the project's headers: the macros of the Windows headers carry the
// same names as the service constants.
#include <mstask.h>
#include <windows.h>

namespace wc {

namespace cli {

// The product's provider is tomcatprovider.dll; the test providers keep
// mingw's "lib" prefix.
std::string libraryFile(const std::string& name) { return (name == "tomcatprovider" ? "" : "lib") + name + ".dll"; }

// Wine maps its paths to the Linux ones; Windows has no Linux programs.
std::string linuxPath(const std::string& path) {
  using UnixName = char*(CDECL*)(const wchar_t*);
  const auto unixName = reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* name = unixName ? unixName(wstrLenient(testing_support::nativePath(path)).c_str()) : nullptr;
  if (!name) return path;
  const std::string result = name;
  HeapFree(GetProcessHeap(), 0, name);
  return result;
}

std::string consoleLines(const std::string& out) {
  std::string lines;
  for (size_t i = 0; i < out.size(); ++i) {
    if (out[i] != '\r' || i + 1 == out.size() || out[i + 1] != '\n') lines += out[i];
  }
  return lines;
}

// Wine's drive Z: is the Linux file system; the commands run with its PATH.
bool hasLinuxProgram(const std::string& name) {
  return GetFileAttributesW(wstrLenient("Z:\\usr\\bin\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

const std::string kDumpSignature = "MDMP";

std::string hostedImagePath(const std::string& command) {
  return std::string("\"")
      .append(testing_support::nativePath(testing_support::binPath("hcpsvc") + ".exe"))
      .append("\" ")
      .append(command);
}

void deleteRemovalWorkItem() {
  ComApartment com;
  ITaskScheduler* scheduler = nullptr;
  if (FAILED(CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                              reinterpret_cast<void**>(&scheduler))))
    return;
  scheduler->Delete(kRemovalTaskName.c_str());
  scheduler->Release();
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

}  // namespace wc
