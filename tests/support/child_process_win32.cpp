#include <winsock2.h>
// winsock2.h before windows.h, which unique_handle_win32.h includes.
#include <stdexcept>

#include "base/system/process.h"
#include "base/system/unique_handle_win32.h"
#include "base/text/convert.h"
#include "support/child_process.h"

namespace wc {

namespace testing_support {

namespace {

// Exit code of a process ended from outside: what a POSIX child killed by
// SIGKILL reports, so that the tests read one number on both platforms.
constexpr UINT kKilledExitCode = 128 + 9;

HANDLE processOf(void* handle) { return static_cast<HANDLE>(handle); }

UniqueFileHandle inheritableFile(const std::string& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  UniqueFileHandle file(CreateFileW(wstrLenient(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                    disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw std::runtime_error("cannot open " + path + " for a child process");
  return file;
}

// The test's environment with `env` added or replaced, as CreateProcessW
// takes it: NAME=value strings one after another, ended by an empty one.
std::wstring environmentBlock(const std::map<std::string, std::string>& env) {
  std::map<std::wstring, std::wstring> variables;
  if (wchar_t* block = GetEnvironmentStringsW()) {
    for (const wchar_t* entry = block; *entry; entry += wcslen(entry) + 1) {
      const std::wstring text(entry);
      const size_t equals = text.find(L'=', 1);
      if (equals != std::wstring::npos) variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    FreeEnvironmentStringsW(block);
  }
  for (const auto& [name, value] : env) variables[wstrLenient(name)] = wstrLenient(value);
  std::wstring out;
  for (const auto& [name, value] : variables) out += name + L"=" + value + L'\0';
  return out + L'\0';
}

}  // namespace

std::string currentProgramPath() { return cstrLenient(programPath()); }

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::map<std::string, std::string>& env) {
  const bool bare = program.find_first_of("/\\") == std::string::npos;
  std::string path = bare ? binPath(program) : program;
  if (path.size() < 4 || path.compare(path.size() - 4, 4, ".exe") != 0) path += ".exe";
  std::wstring commandLine = quoteForCommandLine(wstrLenient(path));
  for (const std::string& arg : args) commandLine += L" " + quoteForCommandLine(wstrLenient(arg));

  UniqueFileHandle input = inheritableFile("NUL", GENERIC_READ, OPEN_EXISTING);
  UniqueFileHandle output = inheritableFile(io_ / "out", GENERIC_WRITE, CREATE_ALWAYS);
  UniqueFileHandle errors = inheritableFile(io_ / "err", GENERIC_WRITE, CREATE_ALWAYS);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input.get();
  startup.hStdOutput = output.get();
  startup.hStdError = errors.get();
  std::wstring environment = environmentBlock(env);
  PROCESS_INFORMATION created{};
  // Under load Wine now and then fails a start with ERROR_INTERNAL_ERROR
  // before the program runs at all: a start that did not happen is tried again.
  for (int attempt = 1;; ++attempt) {
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                       environment.data(), nullptr, &startup, &created))
      break;
    const DWORD error = GetLastError();
    if (error != ERROR_INTERNAL_ERROR || attempt == 3)
      throw std::runtime_error("cannot start " + path + " (error " + std::to_string(error) + ")");
    Sleep(200);
  }
  CloseHandle(created.hThread);
  process_ = created.hProcess;
  pid_ = static_cast<int>(created.dwProcessId);
}

ChildProcess::~ChildProcess() {
  stop();
  CloseHandle(processOf(process_));
}

int ChildProcess::wait() {
  if (exitCode_ >= 0) return exitCode_;
  WaitForSingleObject(processOf(process_), INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(processOf(process_), &code);
  exitCode_ = static_cast<int>(code);
  return exitCode_;
}

// Windows has no polite request to end a console program from outside; the
// programs the tests start keep nothing that a hard end would lose.
int ChildProcess::stop() { return kill(); }

int ChildProcess::kill() {
  if (exitCode_ < 0 && WaitForSingleObject(processOf(process_), 0) == WAIT_TIMEOUT)
    TerminateProcess(processOf(process_), kKilledExitCode);
  return wait();
}

bool killProcess(uint32_t pid) {
  UniqueKernelHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
  return process && TerminateProcess(process.get(), kKilledExitCode);
}

bool processExists(uint32_t pid) {
  UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  DWORD code = 0;
  return process && GetExitCodeProcess(process.get(), &code) && code == STILL_ACTIVE;
}

uint16_t unusedLocalPort() {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 0;
  uint16_t port = 0;
  const SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (probe != INVALID_SOCKET) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
      port = ntohs(address.sin_port);
    }
    closesocket(probe);
  }
  WSACleanup();
  return port;
}

bool endedBeforeItRan(int exitCode) {
  constexpr DWORD kDllInitFailed = 0xC0000142;  // STATUS_DLL_INIT_FAILED
  return static_cast<DWORD>(exitCode) == kDllInitFailed;
}

}  // namespace testing_support

}  // namespace wc
