#include "base/system/process.h"

#include <windows.h>

uint32_t currentProcessId() { return GetCurrentProcessId(); }

uint32_t currentThreadId() { return GetCurrentThreadId(); }

std::wstring programPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return L"";
    // A full buffer means the name was cut short (Windows 7 does not say so
    // with ERROR_INSUFFICIENT_BUFFER).
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::wstring processCommandLine() { return GetCommandLineW(); }
