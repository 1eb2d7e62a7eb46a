#pragma once
// Processes the tests start beside themselves: a forked piece of the test
// (for faults that end a process), a program of build/bin with its output
// kept, and small questions about processes and ports.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/sandbox.h"

namespace wc {

namespace testing_support {

struct ChildOutcome {
  bool exited = false;  // ended by _exit; `exitCode` is valid
  int exitCode = -1;
  bool signalled = false;  // ended by a signal; `signal` is valid
  int signal = 0;
  std::string report;  // what the child passed to `report`
};

// Forks, runs `body` in the child (without a core file of the kernel) and ends
// the child with its result as the exit code; `report` sends text to the parent.
ChildOutcome runInChild(const std::function<int(const std::function<void(const std::string&)>& report)>& body);

// The path of the running test program.
std::string currentProgramPath();

// A program (of build/bin unless a path is given) running in the background
// with the test's environment plus `env`, no input and its output in files;
// stopped if it still runs when the object goes.
class ChildProcess {
 public:
  ChildProcess(const std::string& program, const std::vector<std::string>& args,
               const std::map<std::string, std::string>& env = {});
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  int pid() const { return pid_; }
  // SIGTERM (SIGKILL after five seconds) or SIGKILL at once, then the exit
  // code (128 + signal when killed by one); wait lets it end by itself.
  int stop();
  int kill();
  int wait();
  std::string output() const { return readFile(io_ / "out"); }
  std::string errors() const { return readFile(io_ / "err"); }

 private:
  TempDir io_;
  int pid_ = -1;
  void* process_ = nullptr;  // the process handle on Windows
  int exitCode_ = -1;
};

// Whether a program ended with this code before it ran at all (Wine under load
// now and then fails a new process's system libraries: STATUS_DLL_INIT_FAILED).
bool endedBeforeItRan(int exitCode);
// Waits up to `timeoutMs` for a path to appear.
bool waitForPath(const std::string& path, int timeoutMs);
// Sends SIGKILL; true when the process existed.
bool killProcess(uint32_t pid);
bool processExists(uint32_t pid);
// A TCP port on 127.0.0.1 that nothing listens on right now.
uint16_t unusedLocalPort();

}  // namespace testing_support

}  // namespace wc
