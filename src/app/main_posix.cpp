// Process entry on POSIX: arguments arrive as UTF-8 and become wide strings.

#include <vector>

#include "app/entry.h"
#include "base/text/convert.h"

using namespace wc;

int main(int argc, char** argv) {
  std::vector<std::wstring> args;
  args.reserve(static_cast<size_t>(argc));
  for (int i = 0; i < argc; ++i) args.push_back(wstrLenient(argv[i]));
  return runEntry(args);
}
