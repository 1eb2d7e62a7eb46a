#include "fuzz_environment.h"

#include <filesystem>

#include "fuzz_check.h"

namespace fuzzing {

void useSandboxMachine(const std::string& registryBody) {
  const std::string root = scratchDirectory() + "/machine";
  std::error_code error;
  std::filesystem::create_directories(root + "/etc/halvo", error);
  check(!error, "the sandbox root can be made", root);
  writeScratchFile("machine/etc/halvo/registry.reg", "Windows Registry Editor Version 5.00\n\n" + registryBody);
  setEnvironmentVariable("HCP_SYSTEM_ROOT", root);
}

}  // namespace fuzzing
