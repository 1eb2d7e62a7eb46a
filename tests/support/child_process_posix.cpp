#include "support/child_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <stdexcept>
#include <thread>

namespace wc {

namespace testing_support {

namespace {
int waitFor(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}
}  // namespace

ChildOutcome runInChild(const std::function<int(const std::function<void(const std::string&)>& report)>& body) {
  ChildOutcome outcome;
  int pipeFds[2];
  if (pipe(pipeFds) != 0) throw std::runtime_error("pipe failed");
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    close(pipeFds[0]);
    auto report = [fd = pipeFds[1]](const std::string& text) {
      for (size_t done = 0; done < text.size();) {
        const ssize_t put = write(fd, text.data() + done, text.size() - done);
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
  for (ssize_t got; (got = read(pipeFds[0], buffer, sizeof buffer)) != 0;) {
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) break;
    outcome.report.append(buffer, static_cast<size_t>(got));
  }
  close(pipeFds[0]);
  const int status = waitFor(child);
  outcome.exited = WIFEXITED(status);
  outcome.exitCode = outcome.exited ? WEXITSTATUS(status) : -1;
  outcome.signalled = WIFSIGNALED(status);
  outcome.signal = outcome.signalled ? WTERMSIG(status) : 0;
  return outcome;
}

std::string currentProgramPath() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  return length <= 0 ? std::string() : std::string(path, static_cast<size_t>(length));
}

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::map<std::string, std::string>& env) {
  std::string path = program.find('/') == std::string::npos ? binPath(program) : program;
  std::string out = io_ / "out", err = io_ / "err";
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    ::dup2(::open("/dev/null", O_RDONLY), 0);
    ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
    ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
    for (const auto& [name, value] : env) ::setenv(name.c_str(), value.c_str(), 1);
    std::vector<char*> argv{path.data()};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(path.c_str(), argv.data());
    ::_exit(127);
  }
}

ChildProcess::~ChildProcess() { stop(); }

int ChildProcess::wait() {
  if (exitCode_ >= 0) return exitCode_;
  const int status = waitFor(pid_);
  exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return exitCode_;
}

int ChildProcess::stop() {
  if (exitCode_ >= 0) return exitCode_;
  ::kill(pid_, SIGTERM);
  // A program that ignores SIGTERM is killed rather than left to hang the test.
  for (int waited = 0; waited < 5000; waited += 10) {
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      return exitCode_;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return kill();
}

int ChildProcess::kill() {
  if (exitCode_ < 0) ::kill(pid_, SIGKILL);
  return wait();
}

bool killProcess(uint32_t pid) { return pid != 0 && ::kill(static_cast<pid_t>(pid), SIGKILL) == 0; }

bool processExists(uint32_t pid) { return pid != 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM); }

uint16_t unusedLocalPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return 0;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  uint16_t port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  close(fd);
  return port;
}

bool endedBeforeItRan(int) { return false; }

}  // namespace testing_support

}  // namespace wc
