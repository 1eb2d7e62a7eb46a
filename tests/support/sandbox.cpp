#include "support/sandbox.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "base/system/path_separator.h"

namespace wc {

namespace testing_support {

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void writeFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path);
  out << content;
}

void makeDirectories(const std::string& path) { std::filesystem::create_directories(path); }

std::vector<std::string> namesIn(const std::string& directory) {
  std::vector<std::string> names;
  std::error_code absent;
  for (const auto& entry : std::filesystem::directory_iterator(directory, absent))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string binPath(const std::string& program) { return std::string(WC_BIN_DIR) + "/" + program; }

std::string nativePath(std::string path) {
  for (char& c : path) {
    if (c == '/') c = static_cast<char>(pathSeparator());
  }
  return path;
}

}  // namespace testing_support

}  // namespace wc
