#include "base/services/host_process.h"
#include "base/system/environment.h"
#include "base/system/process.h"

namespace wc {

std::wstring serviceHostProgram() {
  if (std::optional<std::wstring> configured = environmentVariable(L"HCP_SERVICE_HOST")) {
    if (!configured->empty()) return *configured;
  }
  std::wstring program = programPath();
  size_t slash = program.find_last_of(L"/\\");
  std::wstring directory = slash == std::wstring::npos ? L"." : program.substr(0, slash);
  return directory + L"/hcpsvc";
}

}  // namespace wc
