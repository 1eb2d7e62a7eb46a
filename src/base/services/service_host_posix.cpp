#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/prctl.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/errors/vexception.h"
#include "base/errors/win_error_codes.h"
#include "base/files/atomic_write.h"
#include "base/log/log_manager.h"
#include "base/services/host_process.h"
#include "base/services/service_host.h"
#include "base/services/service_registry.h"
#include "base/services/status_record.h"
#include "base/system/clock.h"
#include "base/system/errno_posix.h"
#include "base/system/unique_handle.h"
#include "base/text/convert.h"

extern char** environ;

namespace wc {

namespace {

// Check points advance once a second while pending.
constexpr uint32_t kCheckPointIntervalMs = 1000;
// Poll interval while something is pending, and otherwise.
constexpr long kPendingPollMs = 250;
constexpr long kIdlePollMs = 1000;
// How long one probe of the ready port may take.
constexpr int kPortProbeMs = 200;
// How long a new host waits for the previous one to let go of the lock.
constexpr uint32_t kPreviousHostExitMs = 5000;
constexpr uint32_t kLockRetryMs = 20;

void complain(const std::string& text) { std::fprintf(stderr, "hcpsvc: %s\n", text.c_str()); }

// The answer to the launcher, given once.
class ReadyChannel {
 public:
  explicit ReadyChannel(int fd) : fd_(fd) {}
  ~ReadyChannel() { fail(ERROR_PROCESS_ABORTED); }
  void ok() { send("ok\n"); }
  void fail(uint32_t code) { send("error " + std::to_string(code) + "\n"); }

 private:
  void send(const std::string& text) {
    if (!fd_) return;
    ssize_t written = write(fd_.get(), text.data(), text.size());
    (void)written;
    fd_.reset();
  }
  UniqueFd fd_;
};

uint32_t makeDirectories(const std::string& path) {
  for (size_t pos = path.find('/', 1);; pos = path.find('/', pos + 1)) {
    std::string partial = path.substr(0, pos);
    if (mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) return lastWindowsError();
    if (pos == std::string::npos) return 0;
  }
}

bool portAccepts(uint32_t port) {
  UniqueFd socketFd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!socketFd) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(socketFd.get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) return true;
  if (errno != EINPROGRESS) return false;
  pollfd waitFor{socketFd.get(), POLLOUT, 0};
  if (poll(&waitFor, 1, kPortProbeMs) <= 0) return false;
  int error = 0;
  socklen_t length = sizeof(error);
  return getsockopt(socketFd.get(), SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

// The host's environment with the service's pairs put over it.
std::vector<std::string> commandEnvironment(const std::vector<std::wstring>& pairs) {
  std::map<std::string, std::string> variables;
  std::vector<std::string> order;
  auto put = [&](const std::string& pair) {
    std::string name = pair.substr(0, pair.find('='));
    if (variables.find(name) == variables.end()) order.push_back(name);
    variables[name] = pair;
  };
  for (char** entry = environ; entry && *entry; ++entry) put(*entry);
  for (const std::wstring& pair : pairs) put(cstrLenient(pair));
  std::vector<std::string> result;
  for (const std::string& name : order) result.push_back(variables[name]);
  return result;
}

class ServiceHost {
 public:
  ServiceHost(ServiceDefinition definition) : definition_(std::move(definition)) {
    record_.status.serviceType = SERVICE_WIN32_OWN_PROCESS;
    record_.hostPid = static_cast<uint32_t>(getpid());
  }

  int run(ReadyChannel& ready) {
    const std::string directory = cstrLenient(serviceStateDirectory(definition_.name));
    if (uint32_t error = makeDirectories(directory)) {
      complain("cannot create " + directory);
      ready.fail(error);
      return 1;
    }
    if (uint32_t error = takeHostLock()) {
      ready.fail(error);
      return 1;
    }
    redirectOutput();

    sigset_t handled;
    sigemptyset(&handled);
    for (int signal : {SIGCHLD, SIGTERM, SIGINT, SIGHUP}) sigaddset(&handled, signal);
    sigset_t previous;
    sigprocmask(SIG_BLOCK, &handled, &previous);

    setState(SERVICE_START_PENDING, SERVICE_ACCEPT_STOP, definition_.waitHint);
    if (uint32_t error = spawnCommand(previous)) {
      record_.status.win32ExitCode = error;
      setState(SERVICE_STOPPED, 0, 0);
      ready.fail(error);
      return 1;
    }
    pendingSince_ = lastCheckPoint_ = clock_.tickCount();
    if (definition_.readyPort) {
      writeRecord();  // now with the command's pid
    } else {
      setState(SERVICE_RUNNING, SERVICE_ACCEPT_STOP, 0);
    }
    ready.ok();

    for (;;) {
      long pollMs = record_.status.currentState == SERVICE_RUNNING ? kIdlePollMs : kPendingPollMs;
      timespec timeout{pollMs / 1000, (pollMs % 1000) * 1000000L};
      siginfo_t info;
      int signal = sigtimedwait(&handled, &info, &timeout);
      if (signal == SIGTERM || signal == SIGINT || signal == SIGHUP) beginStop();
      int status = 0;
      pid_t ended = waitpid(child_, &status, WNOHANG);
      if (ended == child_) {
        finish(status);
        return 0;
      }
      if (record_.status.currentState == SERVICE_START_PENDING) watchStart();
      if (record_.status.currentState == SERVICE_STOP_PENDING) watchStop();
    }
  }

 private:
  uint32_t takeHostLock() {
    std::string path = cstrLenient(hostLockPath(definition_.name));
    lock_.reset(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (!lock_) return lastWindowsError();
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    // The host of the service's previous run may still be on its way out
    // after writing its last record; a live one keeps the lock for good.
    const uint32_t start = clock_.tickCount();
    while (fcntl(lock_.get(), F_SETLK, &lock) != 0) {
      if (errno != EAGAIN && errno != EACCES) return lastWindowsError();
      if (clock_.tickCount() - start >= kPreviousHostExitMs) return ERROR_SERVICE_ALREADY_RUNNING;
      clock_.sleep(kLockRetryMs);
    }
    return 0;
  }

  // The command's output (and the host's complaints) go to output.log.
  void redirectOutput() {
    std::string path = cstrLenient(serviceOutputPath(definition_.name));
    UniqueFd output(open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
    if (!output) return;
    dup2(output.get(), 1);
    dup2(output.get(), 2);
  }

  uint32_t spawnCommand(const sigset_t& originalMask) {
    const std::string command = "exec " + cstrLenient(definition_.imagePath);
    const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
    std::vector<std::string> environment = commandEnvironment(definition_.environment);
    std::vector<const char*> envp;
    for (const std::string& pair : environment) envp.push_back(pair.c_str());
    envp.push_back(nullptr);
    const pid_t host = getpid();

    pid_t child = fork();
    if (child < 0) return lastWindowsError();
    if (child == 0) {
      setpgid(0, 0);
#if defined(__linux__)
      // The command does not outlive a host that was killed.
      prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
      if (getppid() != host) _exit(1);
      sigprocmask(SIG_SETMASK, &originalMask, nullptr);
      if (chdir("/") != 0) _exit(1);
      execve("/bin/sh", const_cast<char* const*>(argv), const_cast<char* const*>(envp.data()));
      _exit(127);
    }
    setpgid(child, child);  // also here, so that the group exists before any signal
    child_ = child;
    record_.processId = static_cast<uint32_t>(child);
    return 0;
  }

  void watchStart() {
    if (portAccepts(*definition_.readyPort)) {
      setState(SERVICE_RUNNING, SERVICE_ACCEPT_STOP, 0);
      return;
    }
    // Progress is shown for as long as the service's own wait hint; a service
    // still not ready after that stops advancing, so that waiters give up.
    uint32_t now = clock_.tickCount();
    if (now - lastCheckPoint_ >= kCheckPointIntervalMs && now - pendingSince_ < definition_.waitHint) {
      lastCheckPoint_ = now;
      ++record_.status.checkPoint;
      writeRecord();
    }
  }

  void beginStop() {
    if (stopRequested_) return;
    stopRequested_ = true;
    record_.status.checkPoint = 0;
    setState(SERVICE_STOP_PENDING, 0, definition_.waitHint);
    pendingSince_ = lastCheckPoint_ = clock_.tickCount();
    kill(-child_, SIGTERM);
  }

  void watchStop() {
    uint32_t now = clock_.tickCount();
    if (!killed_ && now - pendingSince_ >= definition_.stopTimeout) {
      killed_ = true;
      kill(-child_, SIGKILL);
    }
    if (now - lastCheckPoint_ >= kCheckPointIntervalMs) {
      lastCheckPoint_ = now;
      ++record_.status.checkPoint;
      writeRecord();
    }
  }

  void finish(int status) {
    // Whatever the command left in its group goes with it.
    kill(-child_, SIGKILL);
    if (stopRequested_) {
      record_.status.win32ExitCode = 0;
      record_.status.serviceSpecificExitCode = 0;
    } else if (WIFEXITED(status)) {
      record_.status.win32ExitCode = ERROR_SERVICE_SPECIFIC_ERROR;
      record_.status.serviceSpecificExitCode = static_cast<uint32_t>(WEXITSTATUS(status));
    } else {
      record_.status.win32ExitCode = ERROR_PROCESS_ABORTED;
      record_.status.serviceSpecificExitCode = WIFSIGNALED(status) ? static_cast<uint32_t>(WTERMSIG(status)) : 0;
    }
    record_.status.checkPoint = 0;
    record_.processId = 0;
    setState(SERVICE_STOPPED, 0, 0);
    removeIfDeleted();
  }

  // A service deleted while it ran goes now that it has stopped.
  void removeIfDeleted() {
    try {
      if (!isMarkedForDelete(definition_.name)) return;
      deleteServiceKey(definition_.name);
      removeServiceStateDirectory(definition_.name);
    } catch (const vexception& e) {
      complain(cstrLenient(e.fullText()));
    }
  }

  void setState(uint32_t state, uint32_t controlsAccepted, uint32_t waitHint) {
    record_.status.currentState = state;
    record_.status.controlsAccepted = controlsAccepted;
    record_.status.waitHint = waitHint;
    if (state == SERVICE_RUNNING) record_.status.checkPoint = 0;
    writeRecord();
  }

  void writeRecord() {
    try {
      replaceFileAtomically(processMachine(), statusRecordPath(definition_.name), formatStatusRecord(record_));
    } catch (const vexception& e) {
      complain(cstrLenient(e.fullText()));
    }
  }

  ServiceDefinition definition_;
  StatusRecord record_;
  Clock& clock_ = systemClock();
  UniqueFd lock_;
  pid_t child_ = -1;
  uint32_t pendingSince_ = 0;
  uint32_t lastCheckPoint_ = 0;
  bool stopRequested_ = false;
  bool killed_ = false;
};

}  // namespace

int runServiceHost(const std::wstring& serviceName, int readyFd) {
  ReadyChannel ready(readyFd);
  std::optional<ServiceDefinition> definition;
  try {
    std::wstring keyName;
    if (uint32_t error = findServiceKey(serviceName, keyName)) {
      ready.fail(error);
      return 1;
    }
    definition = readServiceDefinition(keyName);
  } catch (const vexception& e) {
    complain(cstrLenient(e.fullText()));
    ready.fail(ERROR_INVALID_PARAMETER);
    return 1;
  }
  if (definition->imagePath.empty()) {
    ready.fail(ERROR_FILE_NOT_FOUND);
    return 1;
  }
  ServiceHost host(std::move(*definition));
  return host.run(ready);
}

namespace {

int usage(const std::string& problem) {
  std::fprintf(stderr,
               "hcpsvc: %s\n"
               "usage: hcpsvc --run <service name> [--ready-fd <fd>]\n"
               "Runs the service defined under HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\<name>.\n"
               "It is started by the service control of the panel's programs, not by hand.\n",
               problem.c_str());
  return 2;
}

}  // namespace

int runServiceProgram(const std::vector<std::wstring>& args) {
  std::wstring name;
  int readyFd = -1;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == L"--run" && i + 1 < args.size()) {
      name = args[++i];
    } else if (args[i] == L"--ready-fd" && i + 1 < args.size()) {
      std::string number = cstrLenient(args[++i]);
      char* end = nullptr;
      long fd = std::strtol(number.c_str(), &end, 10);
      if (number.empty() || *end != '\0' || fd < 0 || fd > 1024) return usage("--ready-fd needs a descriptor number");
      readyFd = static_cast<int>(fd);
    } else {
      return usage("unknown argument '" + cstrLenient(args[i]) + "'");
    }
  }
  if (name.empty()) return usage("--run <service name> is required");
  return runServiceHost(name, readyFd);
}

}  // namespace wc
