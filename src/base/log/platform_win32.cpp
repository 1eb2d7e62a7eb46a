// The log area on this platform: the file operations of the log file's
// rotation, the area's program names, and the exported execute-context slot.

#include <algorithm>
#include <string_view>

#include "base/log/execute_context.h"
#include "base/log/log_files.h"
#include "base/system/unique_handle_win32.h"
#include "base/text/strings.h"

// After the project's headers: the macros of the Windows headers carry the
// same names as the project's constants.
#include <windows.h>

namespace wc {

namespace halvo::logging {

namespace {

// Names compare as the file system does, ignoring letter case.
bool hasPrefixAndSuffix(std::wstring_view name, std::wstring_view prefix, std::wstring_view suffix) {
  return name.size() >= prefix.size() + suffix.size() && equalsIgnoreCase(name.substr(0, prefix.size()), prefix) &&
         equalsIgnoreCase(name.substr(name.size() - suffix.size()), suffix);
}

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// The end of the `components` path components that start at `from`, with
// the separator after them.
size_t skipComponents(const std::wstring& path, size_t from, int components) {
  size_t pos = from;
  for (int i = 0; i < components && pos < path.size(); ++i) {
    while (pos < path.size() && !isSeparator(path[pos])) ++pos;
    if (pos < path.size()) ++pos;
  }
  return pos;
}

// How much of the path names its root, which cannot be created: "C:\",
// "\\server\share\", "\\?\C:\", "\\?\UNC\server\share\".
size_t rootLength(const std::wstring& path) {
  if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return skipComponents(path, 8, 2);
  if (path.rfind(L"\\\\?\\", 0) == 0) return skipComponents(path, 4, 1);
  if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) return skipComponents(path, 2, 2);
  if (path.size() >= 2 && path[1] == L':') return path.size() > 2 && isSeparator(path[2]) ? 3 : 2;
  return 0;
}

}  // namespace

std::wstring managementServiceFileName() { return L"hcpsrv.exe"; }

uint32_t listFiles(const std::wstring& directory, const std::wstring& prefix, const std::wstring& suffix,
                   std::vector<std::wstring>& out) {
  out.clear();
  WIN32_FIND_DATAW found{};
  // The pattern alone would also match by the short 8.3 names; the names are
  // checked again below.
  UniqueFindHandle find(FindFirstFileExW(joinPath(directory, prefix + L"*" + suffix).c_str(), FindExInfoBasic, &found,
                                         FindExSearchNameMatch, nullptr, 0));
  if (!find) {
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : error;
  }
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (!hasPrefixAndSuffix(found.cFileName, prefix, suffix)) continue;
    out.push_back(joinPath(directory, found.cFileName));
  } while (FindNextFileW(find.get(), &found));
  DWORD error = GetLastError();
  if (error != ERROR_NO_MORE_FILES) return error;
  std::sort(out.begin(), out.end());
  return 0;
}

uint32_t createDirectories(const std::wstring& directory) {
  if (directory.empty()) return ERROR_PATH_NOT_FOUND;
  // Each directory on the way, the existing ones included: a protected one
  // may refuse creation with "access denied" and still be there.
  uint32_t lastError = 0;
  for (size_t end = rootLength(directory); end <= directory.size(); ++end) {
    if (end < directory.size() && !isSeparator(directory[end])) continue;
    if (end == 0 || isSeparator(directory[end - 1])) continue;
    if (!CreateDirectoryW(directory.substr(0, end).c_str(), nullptr)) {
      DWORD error = GetLastError();
      if (error != ERROR_ALREADY_EXISTS) lastError = error;
    }
  }
  DWORD attributes = GetFileAttributesW(directory.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return lastError ? lastError : GetLastError();
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : ERROR_ALREADY_EXISTS;
}

uint32_t deleteFileForced(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError();
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return ERROR_ACCESS_DENIED;
  if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  if (!DeleteFileW(path.c_str())) return GetLastError();
  return 0;
}

}  // namespace halvo::logging

// The exported slot of this module. A program or library exports it by name
// from its export table, where the other modules of the process look for it
// with GetProcAddress.
extern "C" {
__declspec(dllexport) ExecuteContext* m_ExecuteContext_4D93FADE_7B9E_4286_AE07_54AF471F7E22 = nullptr;
}

}  // namespace wc
