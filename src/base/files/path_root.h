#pragma once
// The platform's facts of path text: where the root of a path ends (what
// makes a path absolute and what ".." never climbs above), and whether two
// names that differ in letter case name the same entry.

#include <cstddef>
#include <string>
#include <string_view>

namespace wc {

// The length of the root that starts `path`, 0 for a relative path. POSIX
// has one root, "/". Windows also has drives ("C:\", "C:"), shares
// ("\\server\share\") and the "\\?\" and "\\.\" prefixes before either.
size_t pathRootLength(std::wstring_view path);

// The form in which two spellings of one path are equal: the path itself on
// POSIX; on Windows, whose file systems ignore letter case, the path
// upper-cased by the system (LCMapStringEx with the invariant locale, the
// simple mapping that NTFS names follow). Each character keeps its place: the
// key is as long as the path.
std::wstring pathCaseKey(std::wstring_view path);

// Whether `a` and `b` spell the same path by that rule.
inline bool samePathText(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() && (a == b || pathCaseKey(a) == pathCaseKey(b));
}

}  // namespace wc
