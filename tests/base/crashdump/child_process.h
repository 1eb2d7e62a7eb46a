#pragma once
// Runs a piece of a test in a forked child, for faults that end a process
// or must not disturb the test program: the child reports through its exit
// status and through text it writes to a pipe.

#include <functional>
#include <string>

namespace crashdump_testing {

struct ChildOutcome {
  bool exited = false;  // ended by _exit; `exitCode` is valid
  int exitCode = -1;
  bool signalled = false;  // ended by a signal; `signal` is valid
  int signal = 0;
  std::string report;  // what the child passed to `report`
};

// Forks, runs `body` in the child and ends the child with its result as the
// exit code. `report` appends text that the parent receives.
ChildOutcome runInChild(const std::function<int(const std::function<void(const std::string&)>& report)>& body);

// The path of the running test program.
std::string currentProgramPath();

}  // namespace crashdump_testing
