#include "base/services/host_process.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "base/errors/win_error_codes.h"
#include "base/services/status_record.h"
#include "base/system/errno_posix.h"
#include "base/system/unique_handle.h"
#include "base/text/convert.h"

namespace wc {

namespace {

// How long a launch waits for the host's first word.
constexpr int kLaunchTimeoutMs = 30000;

// Writes "error <code>\n" without allocating: used between fork and exec.
void reportChildError(int fd, uint32_t code) {
  char text[32] = "error ";
  char digits[12];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + code % 10);
    code /= 10;
  } while (code != 0);
  size_t length = 6;
  while (count > 0) text[length++] = digits[--count];
  text[length++] = '\n';
  ssize_t written = write(fd, text, length);
  (void)written;
}

// The host's answer: "ok", or "error <code>".
uint32_t parseHostAnswer(const std::string& answer) {
  if (answer.rfind("ok", 0) == 0) return 0;
  if (answer.rfind("error ", 0) == 0) {
    uint32_t code = static_cast<uint32_t>(std::strtoul(answer.c_str() + 6, nullptr, 10));
    return code ? code : ERROR_PROCESS_ABORTED;
  }
  // The host ended without a word.
  return ERROR_PROCESS_ABORTED;
}

}  // namespace

std::optional<uint32_t> serviceHostPid(const std::wstring& serviceName) {
  UniqueFd fd(open(cstrLenient(hostLockPath(serviceName)).c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) return std::nullopt;
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  if (fcntl(fd.get(), F_GETLK, &lock) != 0 || lock.l_type == F_UNLCK) return std::nullopt;
  return static_cast<uint32_t>(lock.l_pid);
}

uint32_t launchServiceHost(const std::wstring& serviceName) {
  // Everything the children need is made before fork.
  const std::string program = cstrLenient(serviceHostProgram());
  const std::string name = cstrLenient(serviceName);
  const char* argv[] = {program.c_str(), "--run", name.c_str(), "--ready-fd", "3", nullptr};

  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return lastWindowsError();
  UniqueFd readEnd(fds[0]);
  UniqueFd writeEnd(fds[1]);

  pid_t child = fork();
  if (child < 0) return lastWindowsError();
  if (child == 0) {
    // A session of its own, and a second fork so that the host is nobody's
    // child and never becomes a zombie of the caller.
    setsid();
    pid_t host = fork();
    if (host != 0) _exit(host < 0 ? 1 : 0);
    if (writeEnd.get() == 3) {
      fcntl(3, F_SETFD, 0);
    } else if (dup2(writeEnd.get(), 3) != 3) {
      _exit(1);
    }
    int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
      dup2(null, 0);
      dup2(null, 1);
      dup2(null, 2);
    }
    // Nothing of the caller's (its locks, its pipes to the panel) may live on
    // in the host.
    close_range(4, ~0U, 0);
    if (null > 3) close(null);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    signal(SIGPIPE, SIG_DFL);
    if (chdir("/") != 0) {
      // The host does not depend on its directory.
    }
    execv(program.c_str(), const_cast<char* const*>(argv));
    reportChildError(3, windowsErrorFromErrno(errno));
    _exit(127);
  }
  writeEnd.reset();
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }

  std::string answer;
  char buffer[64];
  for (;;) {
    pollfd waitFor{readEnd.get(), POLLIN, 0};
    int ready = poll(&waitFor, 1, kLaunchTimeoutMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return ERROR_SERVICE_REQUEST_TIMEOUT;
    ssize_t n = read(readEnd.get(), buffer, sizeof(buffer));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    answer.append(buffer, static_cast<size_t>(n));
    if (answer.find('\n') != std::string::npos) break;
  }
  return parseHostAnswer(answer);
}

uint32_t requestHostStop(uint32_t hostPid) {
  if (hostPid == 0) return ERROR_SERVICE_NOT_ACTIVE;
  if (kill(static_cast<pid_t>(hostPid), SIGTERM) == 0) return 0;
  return errno == ESRCH ? ERROR_SERVICE_NOT_ACTIVE : lastWindowsError();
}

std::optional<std::string> readStatusRecordText(const std::wstring& serviceName) {
  std::ifstream in(cstrLenient(statusRecordPath(serviceName)), std::ios::binary);
  if (!in) return std::nullopt;
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void removeServiceStateDirectory(const std::wstring& serviceName) {
  std::string directory = cstrLenient(serviceStateDirectory(serviceName));
  if (DIR* listing = opendir(directory.c_str())) {
    while (dirent* entry = readdir(listing)) {
      if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
      unlink((directory + "/" + entry->d_name).c_str());
    }
    closedir(listing);
  }
  rmdir(directory.c_str());
}

}  // namespace wc
