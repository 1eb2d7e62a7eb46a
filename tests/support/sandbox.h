#pragma once
// Test helpers: a private machine (a fresh HCP_SYSTEM_ROOT), files, and
// running the built programs inside it.

#include <map>
#include <string>
#include <vector>

namespace wc {

namespace testing_support {

// A fresh directory (under /tmp; on Windows under the user's temporary
// folder, written with '/'), removed with everything in it at destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

 private:
  std::string path_;
};

// Sets an environment variable for a scope and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const std::string& name, const std::string& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  bool had_ = false;
  std::string old_;
};

// The panel's configuration key, as a section header of the settings file.
inline const std::string kConfigSection = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config]\n";

// A sandbox machine: a TempDir that HCP_SYSTEM_ROOT points at for the scope.
// Windows has no such root: there the machine is the Wine prefix the tests
// run in, and the sandbox clears the panel's settings in its registry when
// it starts and when it ends.
class Sandbox {
 public:
  Sandbox();
  ~Sandbox();
  const std::string& root() const { return dir_.path(); }
  std::string path(const std::string& relative) const { return dir_ / relative; }
  // Writes etc/halvo/registry.reg with the given body after the header line;
  // on Windows the body goes into the registry.
  void writeRegistry(const std::string& body) const;

 private:
  TempDir dir_;
  ScopedEnv env_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);
bool pathExists(const std::string& path);
void makeDirectories(const std::string& path);
// The names of what a directory holds, sorted; none when it is absent.
std::vector<std::string> namesIn(const std::string& directory);

struct ProcessResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs a program of build/bin with arguments; `env` adds or replaces variables.
ProcessResult runProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::map<std::string, std::string>& env = {});
std::string binPath(const std::string& program);
// A path written with '/' as the product writes it: with the platform's
// separator.
std::string nativePath(std::string path);

}  // namespace testing_support

}  // namespace wc
