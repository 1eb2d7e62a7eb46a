#pragma once
// Owning handles of the Windows file calls (the Windows side of the files
// seam only).

#include <windows.h>

#include "base/system/unique_handle.h"

struct KernelHandleTraits {
  using Handle = HANDLE;
  static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
  static void close(HANDLE handle) { CloseHandle(handle); }
};
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;

// Handles whose calls answer NULL on failure (OpenProcess and the like).
struct NullableHandleTraits {
  using Handle = HANDLE;
  static HANDLE invalid() { return nullptr; }
  static void close(HANDLE handle) { CloseHandle(handle); }
};
using UniqueNullableHandle = UniqueHandle<NullableHandleTraits>;

struct FindHandleTraits {
  using Handle = HANDLE;
  static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
  static void close(HANDLE handle) { FindClose(handle); }
};
using UniqueFindHandle = UniqueHandle<FindHandleTraits>;

// Memory that the security calls hand out with LocalAlloc.
struct LocalMemoryTraits {
  using Handle = HLOCAL;
  static HLOCAL invalid() { return nullptr; }
  static void close(HLOCAL memory) { LocalFree(memory); }
};
using UniqueLocalMemory = UniqueHandle<LocalMemoryTraits>;
