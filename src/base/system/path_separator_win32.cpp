#include "base/system/path_separator.h"

wchar_t pathSeparator() { return L'\\'; }
