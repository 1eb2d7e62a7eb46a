// hcpsrv: the panel's management service. It answers configuration strings
// of the panel's settings over the pipe named by the "hcppipe" setting.

#include <cstdio>
#include <string>

#include "base/errors/vexception.h"
#include "base/pipes/pipe_socket_path.h"
#include "base/registry/registry.h"
#include "base/text/convert.h"
#include "server.h"

namespace {

const char kUsage[] =
    "Usage: hcpsrv [--help]\n"
    "\n"
    "Runs the panel's management service in the foreground until it receives\n"
    "SIGTERM or SIGINT (Ctrl+C).\n"
    "\n"
    "It listens on the pipe named by the \"hcppipe\" value of\n"
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config (\"hcppipe\" when\n"
    "the value is missing): a Unix socket at run/halvo/pipes/<name> under\n"
    "HCP_SYSTEM_ROOT (default \"/\"). It answers requests for configuration\n"
    "strings (PRODUCT_ROOT_D, PRODUCT_DATA_D or any other string value of that\n"
    "key) from the settings store; unknown values and commands get an error\n"
    "reply.\n"
    "\n"
    "Exit codes: 0 after a signal, 1 when the pipe cannot be served.\n";

std::wstring configuredPipeName() {
  std::wstring name;
  if (registry::lookupString(registry::Root::LocalMachine, registry::kConfigKey, L"hcppipe", name, registry::REG_SZ,
                             registry::kView32) != 0)
    name = L"hcppipe";
  return std::wstring(kPipeNamePrefix) + name;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h" || arg == "/?") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    std::fprintf(stderr, "hcpsrv: unknown argument '%s'\n\n%s", arg.c_str(), kUsage);
    return 1;
  }
  try {
    servePipe(configuredPipeName());
    return 0;
  } catch (const vexception& e) {
    std::fprintf(stderr, "hcpsrv: %s\n", cstrLenient(e.fullText()).c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "hcpsrv: %s\n", e.what());
  }
  return 1;
}
