#pragma once
// Owning handles of the Windows calls: kernel objects, files, searches and
// memory handed out by the system.
// Only *_win32.cpp files include this.

#include <windows.h>

#include "base/system/unique_handle.h"

namespace wc {

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

}  // namespace wc
