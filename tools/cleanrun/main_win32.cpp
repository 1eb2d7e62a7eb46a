// cleanrun's entry on Windows: wide arguments.

#include "cleanrun_tool.h"

using namespace wc;

int wmain(int argc, wchar_t** argv) {
  return runCleanrun(std::vector<std::wstring>(argc > 0 ? argv + 1 : argv, argv + argc));
}
