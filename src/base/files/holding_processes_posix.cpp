#include "base/files/holding_processes.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <memory>
#include <set>

#include "base/errors/runtime_errors.h"
#include "base/system/errno_posix.h"
#include "base/system/unique_handle.h"
#include "base/text/unicode.h"

namespace wc {

namespace RunTime {
namespace {

struct DirTraits {
  using Handle = DIR*;
  static DIR* invalid() { return nullptr; }
  static void close(DIR* dir) { ::closedir(dir); }
};
using UniqueDir = UniqueHandle<DirTraits>;

// The form the kernel shows in /proc links: absolute, links resolved.
std::string kernelForm(const std::wstring& path) {
  std::string name = wideToUtf8Lenient(path);
  std::unique_ptr<char, decltype(&::free)> real(::realpath(name.c_str(), nullptr), &::free);
  if (real) return real.get();
  if (!name.empty() && name[0] != '/') {
    char cwd[PATH_MAX];
    if (::getcwd(cwd, sizeof cwd)) name = std::string(cwd) + "/" + name;
  }
  return name;
}

std::string linkTarget(const std::string& link) {
  char buffer[PATH_MAX];
  ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer);
  if (n <= 0) return {};
  return std::string(buffer, static_cast<size_t>(n));
}

bool isPid(const char* name) {
  if (!*name) return false;
  for (const char* p = name; *p; ++p) {
    if (*p < '0' || *p > '9') return false;
  }
  return true;
}

bool holdsOneOf(const std::string& processDir, const std::set<std::string>& wanted) {
  if (wanted.count(linkTarget(processDir + "/exe")) || wanted.count(linkTarget(processDir + "/cwd"))) return true;
  UniqueDir fds(::opendir((processDir + "/fd").c_str()));
  if (!fds) return false;  // gone meanwhile, or not ours to look at
  while (struct dirent* entry = ::readdir(fds.get())) {
    if (!isPid(entry->d_name)) continue;
    if (wanted.count(linkTarget(processDir + "/fd/" + entry->d_name))) return true;
  }
  return false;
}

// The program of a process; its short name where the program is not visible.
std::string programOf(const std::string& processDir) {
  std::string exe = linkTarget(processDir + "/exe");
  if (!exe.empty()) return exe;
  std::ifstream comm(processDir + "/comm");
  std::string name;
  std::getline(comm, name);
  return name;
}

}  // namespace

std::wstring getProccessesByOpenedFiles(const std::vector<std::wstring>& paths) {
  std::set<std::string> wanted;
  for (const std::wstring& path : paths) {
    if (!path.empty()) wanted.insert(kernelForm(path));
  }
  if (wanted.empty()) return {};
  UniqueDir proc(::opendir("/proc"));
  if (!proc) throwError(L"Enumerate the processes of the system", lastWindowsError());
  std::wstring result;
  while (struct dirent* entry = ::readdir(proc.get())) {
    if (!isPid(entry->d_name)) continue;
    const std::string processDir = std::string("/proc/") + entry->d_name;
    if (!holdsOneOf(processDir, wanted)) continue;
    if (!result.empty()) result += L"\n";
    result += vaformat(L"PID(%d) '%s'", std::atoi(entry->d_name), utf8ToWideLenient(programOf(processDir)));
  }
  return result;
}

}  // namespace RunTime

}  // namespace wc
