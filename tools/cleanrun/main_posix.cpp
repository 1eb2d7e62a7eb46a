// cleanrun's entry on POSIX: arguments arrive as UTF-8.

#include "base/text/convert.h"
#include "cleanrun_tool.h"

using namespace wc;

int main(int argc, char** argv) {
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) args.push_back(wstrLenient(argv[i]));
  return runCleanrun(args);
}
