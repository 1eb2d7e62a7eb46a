#pragma once
// Helpers of the file tests: a child process that holds a file open, a clock
// that records sleeps instead of sleeping, and the shared test helpers.

#include <sys/types.h>

#include <string>
#include <vector>

#include "base/system/clock.h"
#include "support/failures.h"
#include "support/faulty_file_system.h"
#include "support/sandbox.h"

namespace files_test {

using namespace testing_support;

// Starts `sleep` with its standard input read from `path`, and waits until the
// child really holds it. Kills and reaps the child on destruction.
class HoldingChild {
 public:
  explicit HoldingChild(const std::string& path);
  ~HoldingChild();
  HoldingChild(const HoldingChild&) = delete;
  HoldingChild& operator=(const HoldingChild&) = delete;
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
};

// Installs itself as the current clock; sleeps return at once and are noted.
class RecordingClock : public Clock {
 public:
  RecordingClock();
  ~RecordingClock() override;
  uint32_t tickCount() override { return elapsed_; }
  int64_t now() override { return 0; }
  LocalTime localTime() override { return {}; }
  void sleep(uint32_t milliseconds) override {
    sleeps.push_back(milliseconds);
    elapsed_ += milliseconds;
  }
  std::vector<uint32_t> sleeps;

 private:
  uint32_t elapsed_ = 0;
};

mode_t modeOf(const std::string& path);
// The entries of a directory, sorted, "sub/" for subdirectories, recursively.
std::vector<std::string> treeOf(const std::string& dir);

}  // namespace files_test
