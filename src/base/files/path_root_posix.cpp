#include "base/files/path_root.h"

size_t pathRootLength(std::wstring_view path) { return !path.empty() && path[0] == L'/' ? 1 : 0; }

bool samePathText(std::wstring_view a, std::wstring_view b) { return a == b; }
