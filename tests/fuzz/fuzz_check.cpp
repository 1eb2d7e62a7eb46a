#include "fuzz_check.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>

#include "base/text/unicode.h"

namespace wc {

namespace fuzzing {

void fail(std::string_view what, std::string_view detail) {
  std::fprintf(stderr, "expectation failed: %.*s\n", static_cast<int>(what.size()), what.data());
  if (!detail.empty()) std::fprintf(stderr, "  %.*s\n", static_cast<int>(detail.size()), detail.data());
  std::fflush(stderr);
  std::abort();
}

std::string narrow(std::wstring_view text) { return wideToUtf8Lenient(text); }

namespace {

class ScratchDirectory {
 public:
  ScratchDirectory() {
    namespace fs = std::filesystem;
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
      fs::path candidate = fs::temp_directory_path() / ("wcadmin-fuzz-" + std::to_string(random()));
      std::error_code error;
      if (fs::create_directory(candidate, error)) {
        path_ = candidate.string();
        return;
      }
    }
    fail("a scratch directory can be made under the temporary directory");
  }
  ~ScratchDirectory() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace

const std::string& scratchDirectory() {
  static ScratchDirectory directory;
  return directory.path();
}

std::string writeScratchFile(std::string_view name, std::string_view bytes) {
  std::string path = scratchDirectory() + "/" + std::string(name);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  check(static_cast<bool>(out), "a scratch file can be written", path);
  return path;
}

std::string readWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  check(static_cast<bool>(in), "a file written by the code under test can be read back", path);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void useSandboxMachine(const std::string& registryBody) {
  const std::string root = scratchDirectory() + "/machine";
  std::error_code error;
  std::filesystem::create_directories(root + "/etc/halvo", error);
  check(!error, "the sandbox root can be made", root);
  writeScratchFile("machine/etc/halvo/registry.reg", "Windows Registry Editor Version 5.00\n\n" + registryBody);
  setEnvironmentVariable("HCP_SYSTEM_ROOT", root);
}

}  // namespace fuzzing

}  // namespace wc
