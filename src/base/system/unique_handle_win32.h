#pragma once
// Owning handles of the Windows files: kernel objects and loaded modules.
// Only *_win32.cpp files include this.

#include <windows.h>

#include "base/system/unique_handle.h"

// Kernel object handles whose "none" is null (mutexes, events, processes,
// threads). CreateFileW's "none" is INVALID_HANDLE_VALUE: UniqueFileHandle.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static HANDLE invalid() { return nullptr; }
  static void close(HANDLE handle) { CloseHandle(handle); }
};
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;

struct FileHandleTraits {
  using Handle = HANDLE;
  static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
  static void close(HANDLE handle) { CloseHandle(handle); }
};
using UniqueFileHandle = UniqueHandle<FileHandleTraits>;
