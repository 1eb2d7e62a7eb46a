#include "base/files/path_root.h"

size_t pathRootLength(std::wstring_view path) { return !path.empty() && path[0] == L'/' ? 1 : 0; }

std::wstring pathCaseKey(std::wstring_view path) { return std::wstring(path); }
