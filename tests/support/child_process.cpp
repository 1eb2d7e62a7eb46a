#include "support/child_process.h"

#include <chrono>
#include <thread>

namespace wc {

namespace testing_support {

ProcessResult runProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::map<std::string, std::string>& env) {
  ProcessResult result;
  // A program that never ran changed nothing: it is started again.
  for (int attempt = 1; attempt <= 3; ++attempt) {
    ChildProcess child(program, args, env);
    result.exitCode = child.wait();
    result.out = child.output();
    result.err = child.errors();
    if (!endedBeforeItRan(result.exitCode) || !result.out.empty()) break;
  }
  return result;
}

bool waitForPath(const std::string& path, int timeoutMs) {
  for (int waited = 0; waited <= timeoutMs; waited += 10) {
    if (pathExists(path)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

}  // namespace testing_support

}  // namespace wc
