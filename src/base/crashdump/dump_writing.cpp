// Writing a dump when a fault is being handled.

#include "base/crashdump/crash_dump_info.h"
#include "base/crashdump/process_dump.h"
#include "base/errors/os_error.h"
#include "base/errors/vguard.h"
#include "base/log/log.h"

namespace wc {

namespace {
constexpr const wchar_t* kDumpFailure = L"Unable to generate dump file";
}  // namespace

bool internalDumpMiniDump(const std::wstring& path, void* exceptionPointers, uint32_t dumpType) {
  // Guarded like an operation, but the failure is logged, not thrown: the
  // fault that asked for the dump is still reported by its translator. No
  // translator is installed here: a fault in the writer must not ask for a
  // dump again.
  try {
    const uint32_t error = writeProcessDump(path, exceptionPointers, dumpType);
    if (error != ERROR_SUCCESS) throwOsError(kDumpFailure, error, VCALLPOINT(L"", "internalDumpMiniDump"));
    return true;
  } catch (...) {
    try {
      logException(LOG_ERROR,
                   guardedException("internalDumpMiniDump", __LINE__, [] { return std::wstring(kDumpFailure); }));
    } catch (...) {
    }
    return false;
  }
}

void writeDumpIfEnabled(void* exceptionPointers, CrashDumpInfo& info) {
  if (!info.enabled()) return;
  const std::wstring& path = info.getFileName();
  if (exceptionPointers != nullptr) internalDumpMiniDump(path, exceptionPointers, kCrashDumpType);
}

}  // namespace wc
