#include "support/sandbox.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <stdexcept>

namespace wc {

namespace testing_support {

TempDir::TempDir() {
  char pattern[] = "/tmp/wcadmin-test-XXXXXX";
  if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScopedEnv::ScopedEnv(const std::string& name, const std::string& value) : name_(name) {
  if (const char* old = getenv(name.c_str())) {
    had_ = true;
    old_ = old;
  }
  setenv(name.c_str(), value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
  if (had_)
    setenv(name_.c_str(), old_.c_str(), 1);
  else
    unsetenv(name_.c_str());
}

Sandbox::Sandbox() : env_("HCP_SYSTEM_ROOT", dir_.path()) {}

Sandbox::~Sandbox() = default;

void Sandbox::writeRegistry(const std::string& body) const {
  makeDirectories(path("etc/halvo"));
  writeFile(path("etc/halvo/registry.reg"), "Windows Registry Editor Version 5.00\n\n" + body);
}

bool pathExists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

}  // namespace testing_support

}  // namespace wc
