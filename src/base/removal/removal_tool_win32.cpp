#include "base/removal/removal_task.h"

std::wstring removalToolFileName() { return L"cleanrun.exe"; }
