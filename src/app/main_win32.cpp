// Process entry on Windows: the arguments arrive as UTF-16 through wmain.

#include <vector>

#include "app/entry.h"

using namespace wc;

int wmain(int argc, wchar_t** argv) {
  std::vector<std::wstring> args(argv, argv + argc);
  return runEntry(args);
}
