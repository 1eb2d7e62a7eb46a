#include "base/files/long_path_win32.h"

#include <windows.h>

#include <cwctype>
#include <string_view>

namespace wc {

namespace {

constexpr std::wstring_view kLongPrefix = L"\\\\?\\";
constexpr std::wstring_view kLongUncPrefix = L"\\\\?\\UNC\\";
constexpr std::wstring_view kDevicePrefix = L"\\\\.\\";

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool hasDrive(const std::wstring& path) {
  return path.size() >= 3 && iswalpha(path[0]) && path[1] == L':' && isSeparator(path[2]);
}

bool isUnc(const std::wstring& path) { return path.size() > 2 && isSeparator(path[0]) && isSeparator(path[1]); }

// GetFullPathNameW, which resolves "." and ".." and turns "/" into "\".
std::wstring fullPath(const std::wstring& path) {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (length == 0) return path;  // the call that uses it reports the fault
    if (length < buffer.size()) {
      buffer.resize(length);
      return buffer;
    }
    buffer.assign(length, L'\0');
  }
}

}  // namespace

std::wstring longPathForm(const std::wstring& path) {
  if (path.starts_with(kLongPrefix) || path.starts_with(kDevicePrefix)) return path;
  if (hasDrive(path)) return std::wstring(kLongPrefix) + fullPath(path);
  if (isUnc(path)) {
    const std::wstring full = fullPath(path);
    if (!isUnc(full)) return path;
    return std::wstring(kLongUncPrefix) + full.substr(2);
  }
  return path;
}

std::wstring withoutLongPathPrefix(const std::wstring& path) {
  if (path.starts_with(kLongUncPrefix)) return L"\\\\" + path.substr(kLongUncPrefix.size());
  if (path.starts_with(kLongPrefix)) return path.substr(kLongPrefix.size());
  return path;
}

}  // namespace wc
