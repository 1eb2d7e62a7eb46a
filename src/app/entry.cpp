#include "app/entry.h"

int runEntry(const std::vector<std::wstring>& args) {
  return args.size() > 1 ? 0 : 1;
}
