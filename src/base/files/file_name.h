#pragma once
// Path names: joining a directory and a name, the parent of a path, and the
// form of a directory value. The separator is the platform's ('/' on POSIX).

#include <string>

#include "base/system/path_separator.h"

namespace wc {

// The platform's separator, and '/' which every platform takes as one.
bool isPathSeparator(wchar_t c);

class VFileName {
 public:
  // The directory joined with the name by one separator, "." and ".."
  // segments resolved (as PathAllocCombine does). An absolute name stands on
  // its own; an empty side gives the other. Throws vexception
  // "PathAllocCombine(%s, %s) failed: error code 0x%lx" for a name that
  // cannot be a path (a NUL inside, longer than 32767 characters).
  static std::wstring combine(const std::wstring& directory, const std::wstring& name);
  // The directory that holds `path`: "" for a bare name, the root for an
  // entry of the root. Trailing separators of `path` are ignored.
  static std::wstring parent(const std::wstring& path);
  // The last component of `path`.
  static std::wstring name(const std::wstring& path);
};

// A directory value in its stored form: trailing separators removed, the root
// itself kept.
std::wstring normalizeDirectoryPath(std::wstring path);

// Whether two paths name the same entry once both are in stored form
// (separators, "." and "..", trailing separators), in the platform's letter
// case rule (samePathText).
bool isSamePath(const std::wstring& a, const std::wstring& b);
// Whether `inner` lies below `outer` (never the same path), by the same rule:
// on Windows "C:\Halvo\VAR\x" is inside "C:\Halvo\var".
bool isPathInside(const std::wstring& inner, const std::wstring& outer);

}  // namespace wc
