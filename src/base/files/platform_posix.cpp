// Path text on POSIX: the system form of a path, the Windows code of a
// failure that named one (path_error_posix.h), and the facts of path_root.h.

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "base/errors/win_error_codes.h"
#include "base/files/path_error_posix.h"
#include "base/files/path_root.h"
#include "base/system/errno_posix.h"
#include "base/text/unicode.h"

namespace wc {

namespace {

// The directory part of a path: "" for a bare name, "/" for a name in the root.
std::string parentOf(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  size_t slash = trimmed.find_last_of('/');
  if (slash == std::string::npos) return {};
  if (slash == 0) return "/";
  return trimmed.substr(0, slash);
}

bool isDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.empty() ? "." : path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

uint32_t windowsErrorForPath(int error, const std::string& path) {
  if (error == ENOENT) return isDirectory(parentOf(path)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
  return windowsErrorFromErrno(error);
}

std::optional<std::string> systemPath(const std::wstring& path) {
  // Most paths are ASCII, which is its own UTF-8. The path is looked at
  // whole, then copied: loops without an early exit, which the compiler
  // does several characters at a time (the check converts tens of thousands).
  uint32_t all = 0;
  for (const wchar_t c : path) all |= static_cast<uint32_t>(c);
  if (path.find(L'\0') != std::wstring::npos) return std::nullopt;
  if (all >= 0x80) return wideToUtf8(path);
  std::string ascii(path.size(), '\0');
  std::transform(path.begin(), path.end(), ascii.begin(), [](wchar_t c) { return static_cast<char>(c); });
  return ascii;
}

// One root, "/"; letter case tells names apart, so a path is its own key.
size_t pathRootLength(std::wstring_view path) { return !path.empty() && path[0] == L'/' ? 1 : 0; }

std::wstring pathCaseKey(std::wstring_view path) { return std::wstring(path); }

}  // namespace wc
