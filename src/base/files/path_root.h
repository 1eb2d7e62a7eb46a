#pragma once
// Where the root of a path ends: what makes a path absolute and what ".."
// never climbs above.

#include <cstddef>
#include <string_view>

// The length of the root that starts `path`, 0 for a relative path. POSIX
// has one root, "/". Windows also has drives ("C:\", "C:"), shares
// ("\\server\share\") and the "\\?\" and "\\.\" prefixes before either.
size_t pathRootLength(std::wstring_view path);
