#include "files_test_support.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace files_test {

HoldingChild::HoldingChild(const std::string& path) {
  const std::string command = "exec sleep 60 < '" + path + "'";
  const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
  if (posix_spawn(&pid_, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
    throw std::runtime_error("cannot start sleep");
  }
  // The shell opens the file before it becomes sleep; wait for both.
  const std::string canonical = std::filesystem::canonical(path).string();
  const std::string fd0 = "/proc/" + std::to_string(pid_) + "/fd/0";
  const std::string exe = "/proc/" + std::to_string(pid_) + "/exe";
  for (int i = 0; i < 1000; ++i) {
    std::error_code ec;
    const bool holds = std::filesystem::read_symlink(fd0, ec).string() == canonical;
    const bool isSleep = std::filesystem::read_symlink(exe, ec).filename().string().find("sleep") != std::string::npos;
    if (holds && isSleep) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  throw std::runtime_error("the child never opened " + path);
}

HoldingChild::~HoldingChild() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
}

RecordingClock::RecordingClock() { Clock::setCurrentForTesting(this); }
RecordingClock::~RecordingClock() { Clock::setCurrentForTesting(nullptr); }

mode_t modeOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return 0;
  return st.st_mode & 07777;
}

std::vector<std::string> treeOf(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    std::string name = std::filesystem::relative(entry.path(), dir).string();
    if (entry.is_directory()) name += "/";
    names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace files_test
