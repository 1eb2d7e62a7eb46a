#include "support/sandbox.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testing_support {

TempDir::TempDir() {
  char pattern[] = "/tmp/wcadmin-test-XXXXXX";
  if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
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

void Sandbox::writeRegistry(const std::string& body) const {
  makeDirectories(path("etc/halvo"));
  writeFile(path("etc/halvo/registry.reg"), "Windows Registry Editor Version 5.00\n\n" + body);
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

bool pathExists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

void makeDirectories(const std::string& path) { std::filesystem::create_directories(path); }

std::string binPath(const std::string& program) { return std::string(WC_BIN_DIR) + "/" + program; }

}  // namespace testing_support
