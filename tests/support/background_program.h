#pragma once
// A program of build/bin running in the background for the length of a test:
// started with the test's environment, ended with SIGTERM (then SIGKILL) and
// reaped when the object goes.

#include <string>
#include <vector>

namespace testing_support {

class BackgroundProgram {
 public:
  BackgroundProgram(const std::string& program, const std::vector<std::string>& args);
  ~BackgroundProgram();
  BackgroundProgram(const BackgroundProgram&) = delete;
  BackgroundProgram& operator=(const BackgroundProgram&) = delete;

  int pid() const { return pid_; }
  // Ends the program now; the exit status, or 128 + signal.
  int stop();

 private:
  int pid_ = -1;
};

// Waits up to `timeoutMs` for a path to appear.
bool waitForPath(const std::string& path, int timeoutMs);

}  // namespace testing_support
