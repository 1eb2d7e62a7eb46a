#pragma once
// The full file name of a loaded module (null: the program), for the
// *_win32.cpp files of this area.

#include <windows.h>

#include <string>

namespace wc {

inline std::wstring moduleFileName(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
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

}  // namespace wc
