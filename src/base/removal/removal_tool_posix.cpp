#include "base/removal/removal_task.h"

// Programs have no file name extension here.
std::wstring removalToolFileName() { return L"cleanrun"; }
