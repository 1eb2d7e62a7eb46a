#include <iostream>

#include "base/removal/system_context.h"
#include "base/text/convert.h"
#include "hcpreg_tool.h"

namespace wc {

std::wstring settingsStoreLocation() { return L"etc/halvo/registry.reg under HCP_SYSTEM_ROOT (default /)"; }

}  // namespace wc

using namespace wc;

int main(int argc, char** argv) {
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) args.push_back(wstrLenient(argv[i]));
  ToolConsole console{std::cin, std::cout, std::cerr};
  return runHcpreg(systemContext(), args, console);
}
