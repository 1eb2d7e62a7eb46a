#include "child_process.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>

namespace crashdump_testing {

ChildOutcome runInChild(const std::function<int(const std::function<void(const std::string&)>& report)>& body) {
  ChildOutcome outcome;
  int pipeFds[2];
  if (pipe(pipeFds) != 0) {
    outcome.report = "pipe failed";
    return outcome;
  }
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child < 0) {
    close(pipeFds[0]);
    close(pipeFds[1]);
    outcome.report = "fork failed";
    return outcome;
  }
  if (child == 0) {
    // A child that a fault ends leaves no core file of the kernel behind.
    struct rlimit noCore {
      0, 0
    };
    setrlimit(RLIMIT_CORE, &noCore);
    close(pipeFds[0]);
    const int writeFd = pipeFds[1];
    auto report = [writeFd](const std::string& text) {
      size_t done = 0;
      while (done < text.size()) {
        ssize_t put = write(writeFd, text.data() + done, text.size() - done);
        if (put <= 0) break;
        done += static_cast<size_t>(put);
      }
    };
    int code = 99;
    try {
      code = body(report);
    } catch (...) {
      report("the child's body threw");
    }
    _exit(code);
  }
  close(pipeFds[1]);
  char buffer[4096];
  for (;;) {
    ssize_t got = read(pipeFds[0], buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    outcome.report.append(buffer, static_cast<size_t>(got));
  }
  close(pipeFds[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) {
    outcome.exited = true;
    outcome.exitCode = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    outcome.signalled = true;
    outcome.signal = WTERMSIG(status);
  }
  return outcome;
}

std::string currentProgramPath() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return {};
  return std::string(path, static_cast<size_t>(length));
}

}  // namespace crashdump_testing
