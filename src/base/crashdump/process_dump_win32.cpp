// The dump of this process on Windows: the system's mini-dump writer.

#include "base/crashdump/process_dump.h"

#include <windows.h>
// The dump writer needs the Windows types first.
#include <dbghelp.h>

#include <atomic>

#include "base/errors/win_error_codes.h"
#include "base/files/long_path_win32.h"
#include "base/system/unique_handle_win32.h"

namespace wc {

namespace {

// dbghelp serves one caller at a time.
std::atomic_flag writerBusy = ATOMIC_FLAG_INIT;

uint32_t writeMiniDump(HANDLE file, const void* exceptionPointers, uint32_t dumpType) {
  MINIDUMP_EXCEPTION_INFORMATION exception{};
  exception.ThreadId = GetCurrentThreadId();
  exception.ExceptionPointers = static_cast<EXCEPTION_POINTERS*>(const_cast<void*>(exceptionPointers));
  // The pointers lie in this process's own memory.
  exception.ClientPointers = TRUE;
  // The writer gets a handle of its own, so that whatever it leaves in the
  // handle's state does not touch the one this side closes.
  HANDLE duplicate = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), file, GetCurrentProcess(), &duplicate, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
    return GetLastError();
  }
  UniqueKernelHandle writerHandle(duplicate);
  if (!MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), writerHandle.get(),
                         static_cast<MINIDUMP_TYPE>(dumpType), exceptionPointers != nullptr ? &exception : nullptr,
                         nullptr, nullptr)) {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT;
  }
  return ERROR_SUCCESS;
}

}  // namespace

uint32_t writeProcessDump(const std::wstring& path, const void* exceptionPointers, uint32_t dumpType) {
  if (path.empty()) return ERROR_INVALID_NAME;
  if (writerBusy.test_and_set(std::memory_order_acquire)) return ERROR_BUSY;
  struct Release {
    ~Release() { writerBusy.clear(std::memory_order_release); }
  } release;
  const std::wstring name = longPathForm(path);
  UniqueFileHandle file(CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return GetLastError();
  uint32_t result = writeMiniDump(file.get(), exceptionPointers, dumpType);
  if (!CloseHandle(file.release()) && result == ERROR_SUCCESS) result = GetLastError();
  // A dump that was not written completely is of no use to anyone.
  if (result != ERROR_SUCCESS) DeleteFileW(name.c_str());
  return result;
}

}  // namespace wc
