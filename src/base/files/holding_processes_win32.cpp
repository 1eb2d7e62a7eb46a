// The holders of a file on Windows, as the Restart Manager finds them.

#include "base/files/holding_processes.h"

#include <windows.h>
// The Restart Manager needs the Windows types first.
#include <restartmanager.h>

#include <iterator>
#include <vector>

#include "base/errors/runtime_errors.h"
#include "base/system/unique_handle_win32.h"

namespace wc {

namespace RunTime {
namespace {

class RestartManagerSession {
 public:
  RestartManagerSession() {
    wchar_t key[CCH_RM_SESSION_KEY + 1] = {};
    if (DWORD error = RmStartSession(&handle_, 0, key)) {
      throwError(L"Start a Restart Manager session", error);
    }
  }
  ~RestartManagerSession() { RmEndSession(handle_); }
  RestartManagerSession(const RestartManagerSession&) = delete;
  RestartManagerSession& operator=(const RestartManagerSession&) = delete;

  DWORD handle() const { return handle_; }

 private:
  DWORD handle_ = 0;
};

std::vector<RM_PROCESS_INFO> holdersIn(const RestartManagerSession& session) {
  std::vector<RM_PROCESS_INFO> holders;
  for (;;) {
    UINT needed = 0;
    UINT count = static_cast<UINT>(holders.size());
    DWORD reasons = 0;
    const DWORD error = RmGetList(session.handle(), &needed, &count, holders.data(), &reasons);
    if (error == ERROR_SUCCESS) {
      holders.resize(count);
      return holders;
    }
    // The list grows between the two calls while processes open the file.
    if (error != ERROR_MORE_DATA) throwError(L"List the processes that hold the files open", error);
    holders.resize(needed);
  }
}

// The program of a process; the Restart Manager's name for it where the
// program cannot be asked (a process of another user, or one that ended).
std::wstring programOf(const RM_PROCESS_INFO& holder) {
  UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, holder.Process.dwProcessId));
  if (process) {
    wchar_t path[MAX_PATH * 4];
    DWORD size = static_cast<DWORD>(std::size(path));
    if (QueryFullProcessImageNameW(process.get(), 0, path, &size)) return std::wstring(path, size);
  }
  return holder.strAppName;
}

}  // namespace

std::wstring getProccessesByOpenedFiles(const std::vector<std::wstring>& paths) {
  std::vector<const wchar_t*> names;
  for (const std::wstring& path : paths) {
    if (!path.empty()) names.push_back(path.c_str());
  }
  if (names.empty()) return {};
  RestartManagerSession session;
  if (DWORD error = RmRegisterResources(session.handle(), static_cast<UINT>(names.size()), names.data(), 0, nullptr, 0,
                                        nullptr)) {
    throwError(L"Register the files with the Restart Manager", error);
  }
  std::wstring result;
  for (const RM_PROCESS_INFO& holder : holdersIn(session)) {
    if (!result.empty()) result += L"\n";
    result += vaformat(L"PID(%d) '%s'", static_cast<int>(holder.Process.dwProcessId), programOf(holder));
  }
  return result;
}

}  // namespace RunTime

}  // namespace wc
