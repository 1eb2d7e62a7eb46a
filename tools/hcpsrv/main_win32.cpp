// hcpsrv's entry on Windows: wide arguments.

#include "hcpsrv_tool.h"
#include "stop_request.h"

namespace wc {

namespace {

const char kUsage[] =
    "Usage: hcpsrv [--help | --version]\n"
    "\n"
    "Runs the panel's management service in the foreground until Ctrl+C,\n"
    "Ctrl+Break or the console closes.\n"
    "\n"
    "It listens on the named pipe \\\\.\\pipe\\<name>, <name> being the\n"
    "\"hcppipe\" value of HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config\n"
    "(\"hcppipe\" when the value is missing). It answers requests for\n"
    "configuration strings (PRODUCT_ROOT_D, PRODUCT_DATA_D or any other string\n"
    "value of that key) from the registry; unknown values and commands get an\n"
    "error reply.\n"
    "\n"
    "--version prints \"hcpsrv <version>\".\n"
    "\n"
    "Exit codes: 0 after a stop request, 1 when the pipe cannot be served or for an\n"
    "unknown argument.\n";

}  // namespace

}  // namespace wc

using namespace wc;

int wmain(int argc, wchar_t** argv) {
  StopRequest::holdUntilHandled();
  return runHcpsrv(std::vector<std::wstring>(argc > 0 ? argv + 1 : argv, argv + argc), kUsage);
}
