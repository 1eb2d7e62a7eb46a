// The service host on Windows (the work of hcpsvc.exe, a service program):
// runs the command that follows the host in its service's ImagePath and
// reports to the Service Control Manager while it runs.
//
// The status is start pending (check point rising once a second for as long
// as the wait hint) until the ReadyPort accepts on 127.0.0.1, or running at
// once when there is none. A stop request becomes stop pending: a Windows
// program gets Ctrl+Break and is terminated after StopTimeout; a Linux
// program (under Wine) gets SIGTERM and SIGKILL after StopTimeout. A command
// that ends by itself leaves the service stopped with exit code 1066 and its
// exit status as the service-specific code.

#include "base/services/service_host.h"

// clang-format off
// The project's own headers come first: <windows.h> defines the service
// constants and error codes as macros of the same names.
#include "base/services/hosted_command.h"
#include "base/services/service_registry.h"
#include "base/errors/vexception.h"
#include "base/system/process.h"
#include "base/text/convert.h"
#include <winsock2.h>
#include <windows.h>
// clang-format on

#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/system/unique_handle_win32.h"

namespace wc {

namespace {

constexpr DWORD kCheckPointIntervalMs = 1000;
constexpr DWORD kPollMs = 250;
// How long a stop request waits for the host to take it up, so that the
// manager answers it with the stop-pending status as the POSIX stand-in does.
constexpr DWORD kStopAcknowledgeMs = 10000;
constexpr long kPortProbeMs = 200;
// How long the Linux wrapper may take to report the program's pid.
constexpr DWORD kWrapperStartMs = 10000;
constexpr DWORD kWrapperPollMs = 20;
// How long a Linux program's pid may be gone before its exit status is.
constexpr DWORD kExitReportGraceMs = 2000;

void complain(const std::wstring& text) { std::fprintf(stderr, "hcpsvc: %s\n", cstrLenient(text).c_str()); }

bool portAccepts(uint32_t port) {
  SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (probe == INVALID_SOCKET) return false;
  u_long nonBlocking = 1;
  ioctlsocket(probe, FIONBIO, &nonBlocking);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bool accepted = connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  if (!accepted && WSAGetLastError() == WSAEWOULDBLOCK) {
    fd_set writable;
    FD_ZERO(&writable);
    FD_SET(probe, &writable);
    fd_set failed = writable;
    timeval limit{0, kPortProbeMs * 1000};
    accepted = select(0, nullptr, &writable, &failed, &limit) > 0 && FD_ISSET(probe, &writable);
  }
  closesocket(probe);
  return accepted;
}

// The command's process, whichever kind it is.
class HostedProcess {
 public:
  virtual ~HostedProcess() = default;
  // A handle signalled when the process ends, or null when it must be polled.
  virtual HANDLE endedEvent() const = 0;
  // The exit status once the process has ended.
  virtual std::optional<DWORD> exitStatus() = 0;
  virtual void requestStop() = 0;
  virtual void kill() = 0;
};

struct CaseInsensitiveLess {
  bool operator()(const std::wstring& a, const std::wstring& b) const {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_LESS_THAN;
  }
};

// The host's environment with the service's pairs put over it, as an
// environment block.
std::wstring environmentBlock(const std::vector<std::wstring>& pairs) {
  std::map<std::wstring, std::wstring, CaseInsensitiveLess> variables;
  auto put = [&](const std::wstring& pair) {
    // Entries such as "=C:=C:\" name the drives' directories.
    size_t equals = pair.find(L'=', 1);
    if (equals != std::wstring::npos) variables[pair.substr(0, equals)] = pair;
  };
  if (wchar_t* strings = GetEnvironmentStringsW()) {
    for (const wchar_t* entry = strings; *entry; entry += wcslen(entry) + 1) put(entry);
    FreeEnvironmentStringsW(strings);
  }
  for (const std::wstring& pair : pairs) put(pair);
  std::wstring block;
  for (const auto& variable : variables) {
    block += variable.second;
    block += L'\0';
  }
  block += L'\0';
  return block;
}

// A Windows program, in a process group of its own (for Ctrl+Break) and in a
// job that ends whatever it started when it is terminated.
class WindowsProcess : public HostedProcess {
 public:
  // Returns 0 or the error of the start.
  DWORD start(const std::wstring& command, const std::vector<std::wstring>& environment) {
    // A service has no console; the program shares this one so that it can
    // be sent Ctrl+Break.
    if (!GetConsoleWindow() && AllocConsole()) ShowWindow(GetConsoleWindow(), SW_HIDE);
    job_.reset(CreateJobObjectW(nullptr, nullptr));
    if (job_) {
      JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
      limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
      SetInformationJobObject(job_.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    std::wstring commandLine = command;
    std::wstring block = environmentBlock(environment);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_NEW_PROCESS_GROUP | CREATE_UNICODE_ENVIRONMENT | CREATE_SUSPENDED, block.data(), nullptr,
                        &startup, &info))
      return GetLastError();
    process_.reset(info.hProcess);
    UniqueKernelHandle thread(info.hThread);
    processId_ = info.dwProcessId;
    // Inside a job that allows no nested one (Windows 7) the program runs
    // without: only it is terminated then.
    if (job_ && !AssignProcessToJobObject(job_.get(), process_.get())) job_.reset();
    ResumeThread(thread.get());
    return ERROR_SUCCESS;
  }

  HANDLE endedEvent() const override { return process_.get(); }

  std::optional<DWORD> exitStatus() override {
    if (WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return code;
  }

  void requestStop() override { GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, processId_); }

  void kill() override {
    if (!job_ || !TerminateJobObject(job_.get(), ERROR_PROCESS_ABORTED))
      TerminateProcess(process_.get(), ERROR_PROCESS_ABORTED);
  }

 private:
  UniqueKernelHandle job_;
  UniqueKernelHandle process_;
  DWORD processId_ = 0;
};

// The Windows view of a POSIX path under Wine (drive Z: is the root).
std::wstring windowsPathOf(const std::wstring& posixPath) {
  std::wstring path = L"Z:" + posixPath;
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

bool fileExists(const std::wstring& posixPath) {
  return GetFileAttributesW(windowsPathOf(posixPath).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<DWORD> numberInFile(const std::wstring& posixPath) {
  FILE* file = _wfopen(windowsPathOf(posixPath).c_str(), L"r");
  if (!file) return std::nullopt;
  unsigned long value = 0;
  bool read = std::fscanf(file, "%lu", &value) == 1;
  std::fclose(file);
  if (!read) return std::nullopt;
  return static_cast<DWORD>(value);
}

// Runs a Linux command line under Wine; returns 0 or the error of the start.
DWORD runPosixCommand(const std::wstring& commandLine) {
  std::wstring line = commandLine;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    return GetLastError();
  // Wine gives no handles for a Linux process; close them should it ever do.
  UniqueKernelHandle process(info.hProcess);
  UniqueKernelHandle thread(info.hThread);
  return ERROR_SUCCESS;
}

// A Linux program under Wine, run by the /bin/sh wrapper: its pid and exit
// status come in files, /proc tells whether it lives, /bin/kill signals it.
class PosixProcess : public HostedProcess {
 public:
  // The wrapper's directory is this run's alone: nothing of it outlives the
  // service, the program's output included.
  ~PosixProcess() override {
    if (directory_.empty()) return;
    WrapperFiles files = wrapperFiles(directory_);
    for (const std::wstring& file : {files.pid, files.exit, files.output}) DeleteFileW(windowsPathOf(file).c_str());
    RemoveDirectoryW(windowsPathOf(directory_).c_str());
  }

  DWORD start(const std::wstring& serviceName, const std::wstring& command,
              const std::vector<std::wstring>& environment) {
    directory_ = L"/tmp/hcpsvc-" + serviceName + L"-" + std::to_wstring(GetCurrentProcessId());
    if (!CreateDirectoryW(windowsPathOf(directory_).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
      return GetLastError();
    WrapperFiles files = wrapperFiles(directory_);
    for (const std::wstring& file : {files.pid, files.exit}) DeleteFileW(windowsPathOf(file).c_str());
    std::wstring script = wrapperScript(command, environment, directory_);
    if (DWORD error = runPosixCommand(L"/bin/sh -c " + quoteForCommandLine(script))) return error;
    for (DWORD waited = 0; waited < kWrapperStartMs; waited += kWrapperPollMs) {
      if ((pid_ = numberInFile(files.pid))) return ERROR_SUCCESS;
      Sleep(kWrapperPollMs);
    }
    return ERROR_SERVICE_REQUEST_TIMEOUT;
  }

  HANDLE endedEvent() const override { return nullptr; }

  std::optional<DWORD> exitStatus() override {
    if (std::optional<DWORD> status = numberInFile(wrapperFiles(directory_).exit)) return status;
    if (fileExists(L"/proc/" + std::to_wstring(*pid_))) return std::nullopt;
    // The program is gone without a word from the wrapper (it was killed
    // too): after a grace period it counts as aborted.
    if (!goneSince_) goneSince_ = GetTickCount();
    if (GetTickCount() - *goneSince_ < kExitReportGraceMs) return std::nullopt;
    return ERROR_PROCESS_ABORTED;
  }

  void requestStop() override { signal(L"TERM"); }
  void kill() override { signal(L"KILL"); }

 private:
  void signal(const std::wstring& name) {
    if (DWORD error = runPosixCommand(L"/bin/kill -" + name + L" " + std::to_wstring(*pid_)))
      complain(L"cannot signal the service's program: error " + std::to_wstring(error));
  }

  std::wstring directory_;
  std::optional<DWORD> pid_;
  std::optional<DWORD> goneSince_;
};

class ServiceHost {
 public:
  explicit ServiceHost(const std::wstring& serviceName)
      : name_(serviceName),
        stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        stopTakenUp_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    status_.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  }

  int run() {
    statusHandle_ = RegisterServiceCtrlHandlerExW(name_.c_str(), onControl, this);
    if (!statusHandle_ || !stop_ || !stopTakenUp_) return 1;
    // The key first: waiters poll at a tenth of the service's own wait hint.
    DWORD error = readDefinition();
    setState(SERVICE_START_PENDING, 0, definition_.waitHint);
    if (error || (error = start())) {
      status_.dwWin32ExitCode = error;
      setState(SERVICE_STOPPED, 0, 0);
      return 1;
    }
    pendingSince_ = lastCheckPoint_ = GetTickCount();
    if (definition_.readyPort) {
      setState(SERVICE_START_PENDING, SERVICE_ACCEPT_STOP, definition_.waitHint);
    } else {
      setState(SERVICE_RUNNING, SERVICE_ACCEPT_STOP, 0);
    }
    for (;;) {
      HANDLE handles[2] = {stop_.get(), process_->endedEvent()};
      DWORD signalled = WaitForMultipleObjects(handles[1] ? 2 : 1, handles, FALSE, kPollMs);
      if (signalled == WAIT_OBJECT_0) beginStop();
      if (std::optional<DWORD> status = process_->exitStatus()) {
        finish(*status);
        return 0;
      }
      if (status_.dwCurrentState == SERVICE_START_PENDING) watchStart();
      if (status_.dwCurrentState == SERVICE_STOP_PENDING) watchStop();
    }
  }

 private:
  static DWORD WINAPI onControl(DWORD control, DWORD, void*, void* context) {
    auto* host = static_cast<ServiceHost*>(context);
    switch (control) {
      case SERVICE_CONTROL_STOP:
      case SERVICE_CONTROL_SHUTDOWN:
        SetEvent(host->stop_.get());
        WaitForSingleObject(host->stopTakenUp_.get(), kStopAcknowledgeMs);
        return NO_ERROR;
      case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;
      default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
  }

  // 0, or the error the service ends with.
  DWORD readDefinition() {
    try {
      std::wstring keyName;
      if (DWORD error = findServiceKey(name_, keyName)) return error;
      definition_ = readServiceDefinition(keyName);
      return ERROR_SUCCESS;
    } catch (const vexception& e) {
      complain(e.fullText());
      return ERROR_INVALID_PARAMETER;
    }
  }

  // Starts the command: 0 or the error the service ends with.
  DWORD start() {
    std::wstring command = commandAfterProgram(definition_.imagePath);
    if (command.empty()) {
      complain(L"the ImagePath of service " + name_ + L" names no command after the host");
      return ERROR_FILE_NOT_FOUND;
    }
    if (namesPosixProgram(command)) {
      auto process = std::make_unique<PosixProcess>();
      if (DWORD error = process->start(definition_.name, command, definition_.environment)) return error;
      process_ = std::move(process);
    } else {
      auto process = std::make_unique<WindowsProcess>();
      if (DWORD error = process->start(command, definition_.environment)) return error;
      process_ = std::move(process);
    }
    return ERROR_SUCCESS;
  }

  void watchStart() {
    if (portAccepts(*definition_.readyPort)) {
      setState(SERVICE_RUNNING, SERVICE_ACCEPT_STOP, 0);
      return;
    }
    // Progress shows for as long as the service's own wait hint; a service
    // still not ready after that stops advancing, so that waiters give up.
    DWORD now = GetTickCount();
    if (now - lastCheckPoint_ >= kCheckPointIntervalMs && now - pendingSince_ < definition_.waitHint) {
      lastCheckPoint_ = now;
      ++status_.dwCheckPoint;
      report();
    }
  }

  void beginStop() {
    if (stopRequested_) return;
    stopRequested_ = true;
    status_.dwCheckPoint = 0;
    setState(SERVICE_STOP_PENDING, 0, definition_.waitHint);
    pendingSince_ = lastCheckPoint_ = GetTickCount();
    SetEvent(stopTakenUp_.get());
    process_->requestStop();
  }

  void watchStop() {
    DWORD now = GetTickCount();
    if (!killed_ && now - pendingSince_ >= definition_.stopTimeout) {
      killed_ = true;
      process_->kill();
    }
    if (now - lastCheckPoint_ >= kCheckPointIntervalMs) {
      lastCheckPoint_ = now;
      ++status_.dwCheckPoint;
      report();
    }
  }

  void finish(DWORD exitStatus) {
    if (stopRequested_) {
      status_.dwWin32ExitCode = ERROR_SUCCESS;
      status_.dwServiceSpecificExitCode = 0;
    } else {
      status_.dwWin32ExitCode = ERROR_SERVICE_SPECIFIC_ERROR;
      status_.dwServiceSpecificExitCode = exitStatus;
    }
    status_.dwCheckPoint = 0;
    // Whatever a Windows program left in its job goes with the job.
    process_.reset();
    setState(SERVICE_STOPPED, 0, 0);
  }

  void setState(DWORD state, DWORD controlsAccepted, DWORD waitHint) {
    status_.dwCurrentState = state;
    status_.dwControlsAccepted = controlsAccepted;
    status_.dwWaitHint = waitHint;
    if (state == SERVICE_RUNNING || state == SERVICE_STOPPED) status_.dwCheckPoint = 0;
    report();
  }

  void report() {
    if (!SetServiceStatus(statusHandle_, &status_))
      complain(L"cannot report the status: error " + std::to_wstring(GetLastError()));
  }

  std::wstring name_;
  UniqueKernelHandle stop_;
  UniqueKernelHandle stopTakenUp_;  // the state is stop pending
  SERVICE_STATUS_HANDLE statusHandle_ = nullptr;
  SERVICE_STATUS status_{};
  ServiceDefinition definition_;
  std::unique_ptr<HostedProcess> process_;
  DWORD pendingSince_ = 0;
  DWORD lastCheckPoint_ = 0;
  bool stopRequested_ = false;
  bool killed_ = false;
};

}  // namespace

int runServiceHost(const std::wstring& serviceName, int /*readyFd*/) {
  WSADATA winsock;
  if (WSAStartup(MAKEWORD(2, 2), &winsock) != 0) return 1;
  int result = ServiceHost(serviceName).run();
  WSACleanup();
  return result;
}

namespace {

void WINAPI serviceMain(DWORD argc, wchar_t** argv) {
  // The manager names the service first.
  if (argc > 0) runServiceHost(argv[0], -1);
}

}  // namespace

int runServiceProgram(const std::vector<std::wstring>& /*args*/) {
  // An own-process service: the table's name is not looked at.
  wchar_t anyName[] = L"";
  SERVICE_TABLE_ENTRYW table[] = {{anyName, serviceMain}, {nullptr, nullptr}};
  if (StartServiceCtrlDispatcherW(table)) return 0;
  DWORD error = GetLastError();
  if (error == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT) {
    std::fputs(
        "hcpsvc: the service host runs as the program of a service that the Service Control Manager starts,\n"
        "not by hand. Its service's ImagePath is this program followed by the command to run; the service's\n"
        "key may add ReadyPort, WaitHint, StopTimeout and Environment.\n",
        stderr);
    return 2;
  }
  complain(L"cannot connect to the Service Control Manager: error " + std::to_wstring(error));
  return 1;
}

}  // namespace wc
