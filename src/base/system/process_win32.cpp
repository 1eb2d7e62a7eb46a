#include "base/system/process.h"

#include <windows.h>

#include "base/system/module_file_name_win32.h"

namespace wc {

uint32_t currentProcessId() { return GetCurrentProcessId(); }

uint32_t currentThreadId() { return GetCurrentThreadId(); }

std::wstring programPath() { return moduleFileName(nullptr); }

std::wstring processCommandLine() { return GetCommandLineW(); }

}  // namespace wc
