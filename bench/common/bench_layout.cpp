#include "common/bench_layout.h"

#include <cstdio>

namespace bench {

const std::vector<std::string>& startedApplications() {
  static const std::vector<std::string> names{"store", "blog", "wiki"};
  return names;
}

namespace {
std::string numbered(const char* format, int value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}
}  // namespace

std::string hostName(int index) { return numbered("site%06d.example.com", index); }

std::string aliasName(int hostIndex, int aliasIndex) {
  static const char* const formats[] = {"site%06d.example.net", "shop%06d.example.org", "blog%06d.example.info"};
  return numbered(formats[aliasIndex % 3], hostIndex) + (aliasIndex >= 3 ? numbered("-%d", aliasIndex / 3) : "");
}

std::string workerName(const std::string& host) {
  std::string name = host;
  for (char& c : name) {
    if (c == '.') c = '_';
  }
  return name;
}

std::string renamedHostName(int hostIndex) { return numbered("renamed%06d.example.com", hostIndex); }

std::string newHostAlias(int aliasIndex) { return numbered("newsite-alias%d.example.net", aliasIndex); }

}  // namespace bench
