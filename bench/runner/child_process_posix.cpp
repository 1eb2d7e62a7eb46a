#include "runner/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace bench {

namespace {

// Everything the child needs is prepared before fork, so that the child only
// redirects its output and calls execve.
struct ExecPlan {
  std::vector<std::string> argvStorage;
  std::vector<std::string> envStorage;
  std::vector<char*> argv;
  std::vector<char*> envp;
  std::string outputFile;

  ExecPlan(const std::vector<std::string>& args, const EnvironmentOverrides& overrides, const std::string& output)
      : argvStorage(args), outputFile(output) {
    for (char** e = environ; *e; ++e) {
      std::string entry = *e;
      bool replaced = false;
      for (const auto& [name, value] : overrides) replaced = replaced || entry.rfind(name + "=", 0) == 0;
      if (!replaced) envStorage.push_back(entry);
    }
    for (const auto& [name, value] : overrides) envStorage.push_back(name + "=" + value);
    for (std::string& a : argvStorage) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (std::string& e : envStorage) envp.push_back(e.data());
    envp.push_back(nullptr);
  }
};

pid_t startChild(ExecPlan& plan) {
  int out = ::open(plan.outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (out < 0) throw std::runtime_error("cannot create " + plan.outputFile + ": " + std::strerror(errno));
  pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(out, STDOUT_FILENO);
    ::dup2(out, STDERR_FILENO);
    int in = ::open("/dev/null", O_RDONLY);
    if (in >= 0) ::dup2(in, STDIN_FILENO);
    ::execve(plan.argv[0], plan.argv.data(), plan.envp.data());
    ::_exit(127);
  }
  ::close(out);
  if (pid < 0) throw std::runtime_error(std::string("fork failed: ") + std::strerror(errno));
  return pid;
}

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

ChildRun runChild(const std::vector<std::string>& argv, const EnvironmentOverrides& environment,
                  const std::string& outputFile, const std::string& memoryFile) {
  static const char kTimeProgram[] = "/usr/bin/time";
  if (argv.empty()) throw std::runtime_error("nothing to run");
  if (::access(argv[0].c_str(), X_OK) != 0) throw std::runtime_error("cannot run " + argv[0]);
  if (::access(kTimeProgram, X_OK) != 0)
    throw std::runtime_error("GNU time is missing: install the Debian package time");
  std::vector<std::string> timed{kTimeProgram, "-f", "%M", "-o", memoryFile};
  timed.insert(timed.end(), argv.begin(), argv.end());
  ExecPlan plan(timed, environment, outputFile);
  const auto started = std::chrono::steady_clock::now();
  pid_t pid = startChild(plan);
  int status = 0;
  rusage usage{};
  while (::wait4(pid, &status, 0, &usage) < 0) {
    if (errno != EINTR) throw std::runtime_error(std::string("wait4 failed: ") + std::strerror(errno));
  }
  ChildRun run;
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  run.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  // GNU time writes a line about a failing exit status first; the figure is last.
  std::istringstream memory(readAll(memoryFile));
  for (std::string line; std::getline(memory, line);) {
    if (!line.empty() && line.find_first_not_of("0123456789") == std::string::npos) run.peakRssKiB = std::stol(line);
  }
  run.output = readAll(outputFile);
  return run;
}

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& argv, const EnvironmentOverrides& environment,
                                     const std::string& outputFile) {
  if (argv.empty() || ::access(argv[0].c_str(), X_OK) != 0) {
    throw std::runtime_error("cannot run " + (argv.empty() ? std::string("nothing") : argv[0]));
  }
  ExecPlan plan(argv, environment, outputFile);
  pid_ = startChild(plan);
}

BackgroundProcess::~BackgroundProcess() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  for (int i = 0; i < 200; ++i) {
    if (::waitpid(pid_, nullptr, WNOHANG) != 0) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
}

bool BackgroundProcess::running() {
  if (pid_ <= 0) return false;
  if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
    pid_ = -1;
    return false;
  }
  return true;
}

std::string machineDescription() {
  std::string model = "unknown processor";
  std::ifstream cpuinfo("/proc/cpuinfo");
  for (std::string line; std::getline(cpuinfo, line);) {
    if (line.rfind("model name", 0) == 0) {
      model = line.substr(line.find(':') + 2);
      break;
    }
  }
  return std::to_string(::sysconf(_SC_NPROCESSORS_ONLN)) + " x " + model;
}

std::string loadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string one, five, fifteen;
  in >> one >> five >> fifteen;
  return in ? one + " " + five + " " + fifteen : "unknown";
}

}  // namespace bench
