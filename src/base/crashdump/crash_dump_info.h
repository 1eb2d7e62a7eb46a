#pragma once
// The crash-dump settings of a run and the names of its dump files. One
// object per process (process_crash_dumps.h) is built before the program's
// main code: it reads the panel's settings once, creates the dump directory,
// and at normal program end deletes the oldest dumps beyond the allowed count.
//
// Settings of SOFTWARE\Halvo\HCP Config\Config: "CrashDumpsEnabled" (DWORD,
// default on), "PRODUCT_ROOT_D" (required: without it dumps are off),
// "CrashDumpsLocation" (default PRODUCT_ROOT_D/etc/crashdumps) and
// "CrashDumpsMaxCount" (DWORD, default 10). Settings that are missing or
// cannot be read switch dumps off silently; construction never fails.

#include <array>
#include <cstdint>
#include <string>

#include "base/system/context.h"

namespace wc {

class CrashDumpInfo {
 public:
  static constexpr uint32_t kDefaultMaxCount = 10;
  static constexpr size_t kMaxPathLength = 260;

  explicit CrashDumpInfo(const Context& context);
  // Prunes the dump directory (pruneDumps); never throws.
  ~CrashDumpInfo();
  CrashDumpInfo(const CrashDumpInfo&) = delete;
  CrashDumpInfo& operator=(const CrashDumpInfo&) = delete;

  // The path of a dump taken now: location, separator, prefix and the local
  // time as yyyymmdd_hhmmss with ".dmp", cut at 260 characters. Composed in
  // buffers reserved at construction, since it runs while the process is
  // handling a fault. Throws vexception "Crash dumping does not enabled"
  // when dumps are off.
  const std::wstring& getFileName();

  // Deletes the oldest *.dmp files of the location (by last-write time) until
  // at most maxCount remain; directories and ".zip" files are never touched.
  // Only when enabled; every failure is dropped.
  void pruneDumps() noexcept;

  bool enabled() const { return enabled_; }
  uint32_t maxCount() const { return maxCount_; }
  const std::wstring& location() const { return location_; }
  const std::wstring& prefix() const { return prefix_; }

 private:
  void readSettings();

  const Context context_;
  bool enabled_ = true;
  uint32_t maxCount_ = kDefaultMaxCount;
  std::wstring location_;
  std::wstring prefix_;
  std::wstring fileName_;
  std::array<wchar_t, 20> timeStamp_{};
  std::array<wchar_t, kMaxPathLength + 1> path_{};
};

// The dump type written for a fault: data segments, full memory and handle
// data.
constexpr uint32_t kCrashDumpType = 7;

// Writes a dump of the fault described by `exceptionPointers` when `info` is
// enabled (nothing when the pointers are null). The crash-dump hook of the
// fault translator calls it.
void writeDumpIfEnabled(void* exceptionPointers, CrashDumpInfo& info);

// Writes one dump of this process to `path`. Never throws: a failure is
// logged at level Error with the context "Unable to generate dump file" and
// the function "internalDumpMiniDump". Answers whether the dump was written.
bool internalDumpMiniDump(const std::wstring& path, void* exceptionPointers, uint32_t dumpType);

// The program file's name without directory and extension ("wcadmin").
std::wstring programNameWithoutExtension(const std::wstring& programPath);

// Whether a directory entry of the dump directory counts as a dump: a name
// ending in ".dmp", letter case ignored (a ".zip" archive of a dump is none).
bool isDumpFileName(const std::wstring& name);

}  // namespace wc
