// hcpcheck's entry on Windows: wide arguments.

#include "hcpcheck_tool.h"

using namespace wc;

int wmain(int argc, wchar_t** argv) {
  return runHcpcheck(std::vector<std::wstring>(argc > 0 ? argv + 1 : argv, argv + argc));
}
