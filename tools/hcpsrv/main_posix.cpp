// hcpsrv's entry on POSIX: arguments arrive as UTF-8.

#include "base/text/convert.h"
#include "hcpsrv_tool.h"
#include "stop_request.h"

namespace wc {

namespace {

const char kUsage[] =
    "Usage: hcpsrv [--help | --version]\n"
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
    "--version prints \"hcpsrv <version>\".\n"
    "\n"
    "Exit codes: 0 after a signal, 1 when the pipe cannot be served or for an\n"
    "unknown argument.\n";

}  // namespace

}  // namespace wc

using namespace wc;

int main(int argc, char** argv) {
  StopRequest::holdUntilHandled();
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) args.push_back(wstrLenient(argv[i]));
  return runHcpsrv(args, kUsage);
}
