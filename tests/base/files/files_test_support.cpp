#include "files_test_support.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "base/files/file.h"
#include "base/files/file_system.h"
#include "base/system/path_separator.h"

namespace wc {

namespace files_test {

namespace {

// A run of the program started by HoldingChild holds the file and waits to
// be stopped instead of testing.
const bool kHoldingChild = [] {
  const char* path = std::getenv("WC_HOLD_FILE");
  if (path == nullptr) return false;
  File file;
  if (file.open(w(path), FILE_ACCESS_READ, FILE_SHARE_READ_ACCESS, FileDisposition::OpenExisting)) std::exit(1);
  writeFile(std::getenv("WC_HOLD_MARK"), "");
  std::this_thread::sleep_for(std::chrono::minutes(2));
  std::exit(0);
}();

}  // namespace

HoldingChild::HoldingChild(const std::string& path)
    : child_(currentProgramPath(), {}, {{"WC_HOLD_FILE", path}, {"WC_HOLD_MARK", mark_ / "held"}}) {
  if (!waitForPath(mark_ / "held", 20000)) throw std::runtime_error("the child never opened " + path);
}

std::vector<std::string> treeOf(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    std::string name = std::filesystem::relative(entry.path(), dir).generic_string();
    if (entry.is_directory()) name += "/";
    names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::wstring native(const std::string& path) { return toPlatformSeparators(w(path)); }

void makeReadOnly(const std::string& path) {
  if (systemFileSystem().setReadOnly(w(path), true)) throw std::runtime_error("cannot make " + path + " read-only");
}

}  // namespace files_test

}  // namespace wc
