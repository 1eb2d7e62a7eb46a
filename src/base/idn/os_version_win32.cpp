#include "base/idn/os_version.h"

#include <windows.h>

namespace wc {

// RtlGetVersion tells the true version; GetVersionExW reports 6.2 to every
// program whose manifest does not name the newer systems.
OsVersion operatingSystemVersion() {
  using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  auto rtlGetVersion = reinterpret_cast<RtlGetVersionFunction>(
      ntdll ? reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")) : nullptr);
  if (rtlGetVersion && rtlGetVersion(&info) == 0) return {info.dwMajorVersion, info.dwMinorVersion};
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (GetVersionExW(&info)) return {info.dwMajorVersion, info.dwMinorVersion};
#pragma GCC diagnostic pop
  return {6, 2};
}

}  // namespace wc
