// Process entry on Windows: the arguments arrive as UTF-16 through wmain.

#include <vector>

#include "app/entry.h"

int wmain(int argc, wchar_t** argv) {
  std::vector<std::wstring> args(argv, argv + argc);
  return runEntry(args);
}
