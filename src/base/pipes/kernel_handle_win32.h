#pragma once
// Owning HANDLEs of kernel objects (events, pipes, processes, threads),
// closed with CloseHandle. Calls that fail with INVALID_HANDLE_VALUE are
// checked before their result is put in one.

#include <windows.h>

#include "base/system/unique_handle.h"

struct KernelHandleTraits {
  using Handle = HANDLE;
  static HANDLE invalid() { return nullptr; }
  static void close(HANDLE handle) { CloseHandle(handle); }
};
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
