#include "support/under_wine.h"

#include <windows.h>

namespace wc {

// Wine's ntdll exports its version; Windows' does not.
bool runningUnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace wc
