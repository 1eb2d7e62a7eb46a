// The log area on this platform: the file operations of the log file's
// rotation, the area's program names, and the exported execute-context slot.

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "base/errors/win_error_codes.h"
#include "base/log/execute_context.h"
#include "base/log/log_files.h"
#include "base/system/errno_posix.h"
#include "base/text/convert.h"

namespace wc {

namespace halvo::logging {

namespace {
struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};
}  // namespace

// Programs have no file name extension here.
std::wstring managementServiceFileName() { return L"hcpsrv"; }

uint32_t listFiles(const std::wstring& directory, const std::wstring& prefix, const std::wstring& suffix,
                   std::vector<std::wstring>& out) {
  out.clear();
  std::string dirName = cstrLenient(directory);
  std::unique_ptr<DIR, DirCloser> dir(opendir(dirName.c_str()));
  if (!dir) return errno == ENOENT || errno == ENOTDIR ? 0 : lastWindowsError();
  while (dirent* entry = readdir(dir.get())) {
    std::wstring name = wstrLenient(entry->d_name);
    if (name.size() < prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
      continue;
    }
    std::wstring path = joinPath(directory, name);
    struct stat info {};
    if (stat(cstrLenient(path).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    out.push_back(path);
  }
  std::sort(out.begin(), out.end());
  return 0;
}

uint32_t createDirectories(const std::wstring& directory) {
  std::string path = cstrLenient(directory);
  if (path.empty()) return ERROR_PATH_NOT_FOUND;
  for (size_t pos = path.find('/', 1);; pos = path.find('/', pos + 1)) {
    std::string partial = path.substr(0, pos);
    if (!partial.empty() && partial.back() != '/' && mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) {
      return lastWindowsError();
    }
    if (pos == std::string::npos) break;
  }
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return lastWindowsError();
  return S_ISDIR(info.st_mode) ? 0 : ERROR_ALREADY_EXISTS;
}

uint32_t deleteFileForced(const std::wstring& path) {
  std::string file = cstrLenient(path);
  struct stat info {};
  if (lstat(file.c_str(), &info) != 0) return lastWindowsError();
  if (S_ISDIR(info.st_mode)) return ERROR_ACCESS_DENIED;
  // The read-only attribute of Windows is the missing owner write bit here.
  if (!S_ISLNK(info.st_mode) && !(info.st_mode & S_IWUSR)) chmod(file.c_str(), info.st_mode | S_IWUSR);
  if (unlink(file.c_str()) != 0) return lastWindowsError();
  return 0;
}

}  // namespace halvo::logging

// The exported slot of this module. Default visibility keeps it in the dynamic
// symbol table of a shared library (and of a program linked to export its
// symbols), where the other modules of the process look for it.
extern "C" {
__attribute__((visibility("default"))) ExecuteContext* m_ExecuteContext_4D93FADE_7B9E_4286_AE07_54AF471F7E22 = nullptr;
}

}  // namespace wc
