// Path text on Windows: the facts of path_root.h (where a path's root ends,
// and the letter-case key of a path).

#include <windows.h>

#include <cwctype>

#include "base/files/path_root.h"

namespace wc {

namespace {

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool isDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// "C:" and the separator after it, if any.
size_t driveLength(std::wstring_view path) {
  if (path.size() < 2 || !isDriveLetter(path[0]) || path[1] != L':') return 0;
  return path.size() > 2 && isSeparator(path[2]) ? 3 : 2;
}

// The end of the component that starts at `from`, and the separator after it.
size_t componentEnd(std::wstring_view path, size_t from) {
  while (from < path.size() && !isSeparator(path[from])) ++from;
  return from < path.size() ? from + 1 : from;
}

// "server\share\" after a "\\" or "\\?\UNC\" prefix.
size_t shareLength(std::wstring_view path, size_t from) { return componentEnd(path, componentEnd(path, from)) - from; }

bool startsWithNoCase(std::wstring_view path, std::wstring_view prefix) {
  if (path.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (towupper(path[i]) != prefix[i]) return false;
  }
  return true;
}

}  // namespace

size_t pathRootLength(std::wstring_view path) {
  if (path.size() >= 4 && isSeparator(path[0]) && isSeparator(path[1]) && (path[2] == L'?' || path[2] == L'.') &&
      isSeparator(path[3])) {
    if (startsWithNoCase(path.substr(4), L"UNC\\")) return 8 + shareLength(path, 8);
    const size_t drive = driveLength(path.substr(4));
    return 4 + (drive > 0 ? drive : componentEnd(path, 4) - 4);
  }
  if (const size_t drive = driveLength(path)) return drive;
  if (path.size() > 2 && isSeparator(path[0]) && isSeparator(path[1]) && !isSeparator(path[2])) {
    return 2 + shareLength(path, 2);
  }
  return !path.empty() && isSeparator(path[0]) ? 1 : 0;
}

std::wstring pathCaseKey(std::wstring_view path) {
  std::wstring key(path);
  if (key.empty()) return key;
  // Linguistic rules aside: the invariant locale's plain upper-casing.
  const int length = static_cast<int>(key.size());
  if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, path.data(), length, key.data(), length, nullptr, nullptr,
                    0) != length) {
    key = path;  // never shorter or longer; a failure compares exactly
  }
  return key;
}

}  // namespace wc
