#pragma once
// The console application frame: brackets a run with the start and end log
// lines, hands the command to `go`, catches every failure and turns the outcome
// into the exit code (0 success, failureExitCode_ on any failure: 1 unless a
// program of the frame says otherwise).

#include <string>

namespace wc {

class vconsoleapp {
 public:
  virtual ~vconsoleapp() = default;
  // The command's work; `arguments` are those after the command name.
  virtual int go(int count, const std::wstring* arguments);
  // Takes the command name from argv[1] and calls go under a guard; may throw.
  virtual int start(int argc, const std::wstring* argv);
  // Throws "Missing command parameter".
  [[noreturn]] virtual void usage();

  // Logs, catches, never throws; returns the exit code.
  int run(int argc, const std::wstring* argv);
  // Throws "command <name> not supported. Possible commands:\n<list>".
  [[noreturn]] void cmdNotSupported(const std::wstring& commandList);

  const std::wstring& commandName() const { return commandName_; }

 protected:
  std::wstring commandName_;
  int failureExitCode_ = 1;
};

}  // namespace wc
