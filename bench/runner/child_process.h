#pragma once
// Running the measured programs as whole processes: wall time from start to
// end, peak resident memory, exit code and output.

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace bench {

using EnvironmentOverrides = std::vector<std::pair<std::string, std::string>>;

struct ChildRun {
  int exitCode = -1;      // the exit status; -1 when killed by a signal
  double seconds = 0;     // wall time from the start of the process to its end
  double cpuSeconds = 0;  // user and system time of the process and its children
  long peakRssKiB = 0;    // the largest resident set of the process or one of its children
  std::string output;     // standard output and standard error, interleaved
};

// Runs `argv` (argv[0] is a path) with the process's environment plus
// `environment`, its output captured in `outputFile`, and waits for it.
// The peak memory comes from GNU time (/usr/bin/time), which the program is
// started under: the kernel's own figure for a child forked from this
// process would start at this process's size. GNU time's figure goes through
// `memoryFile`. Throws std::runtime_error when the program cannot be started.
ChildRun runChild(const std::vector<std::string>& argv, const EnvironmentOverrides& environment,
                  const std::string& outputFile, const std::string& memoryFile);

// A program that runs in the background for the life of the object and is
// ended with SIGTERM (and waited for) at its destruction.
class BackgroundProcess {
 public:
  BackgroundProcess(const std::vector<std::string>& argv, const EnvironmentOverrides& environment,
                    const std::string& outputFile);
  ~BackgroundProcess();
  BackgroundProcess(const BackgroundProcess&) = delete;
  BackgroundProcess& operator=(const BackgroundProcess&) = delete;

  // False once the process has ended by itself.
  bool running();

 private:
  int pid_ = -1;
};

// Logical processors and the processor's model name, for the report.
std::string machineDescription();
// The load averages over 1, 5 and 15 minutes, as the system reports them.
std::string loadAverage();

}  // namespace bench
