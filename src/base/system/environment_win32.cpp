#include "base/system/environment.h"

#include <windows.h>

namespace wc {

std::optional<std::wstring> environmentVariable(std::wstring_view name) {
  const std::wstring key(name);
  std::wstring value(64, L'\0');
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const DWORD length = GetEnvironmentVariableW(key.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (length == 0) {
      // Zero is also the length of a variable set to the empty text.
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
      return std::wstring();
    }
    if (length < value.size()) {
      value.resize(length);
      return value;
    }
    value.resize(length);  // the size needed, terminator included
  }
}

}  // namespace wc
