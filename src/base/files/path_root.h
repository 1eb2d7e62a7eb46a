#pragma once
// The platform's facts of path text: where the root of a path ends (what
// makes a path absolute and what ".." never climbs above), and whether two
// names that differ in letter case name the same entry.

#include <cstddef>
#include <string_view>

// The length of the root that starts `path`, 0 for a relative path. POSIX
// has one root, "/". Windows also has drives ("C:\", "C:"), shares
// ("\\server\share\") and the "\\?\" and "\\.\" prefixes before either.
size_t pathRootLength(std::wstring_view path);

// Whether `a` and `b` spell the same path: exactly on POSIX; on Windows,
// whose file systems ignore letter case, by ordinal comparison ignoring case
// (CompareStringOrdinal), as the file system compares names.
bool samePathText(std::wstring_view a, std::wstring_view b);
