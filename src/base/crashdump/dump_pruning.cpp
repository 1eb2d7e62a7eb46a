// The clean-up of the dump directory at normal program end.

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "base/crashdump/crash_dump_info.h"
#include "base/errors/strict_convert.h"
#include "base/files/file_name.h"
#include "base/files/remove.h"
#include "base/text/convert.h"

void CrashDumpInfo::pruneDumps() noexcept {
  if (!enabled_) return;
  try {
    struct Dump {
      std::wstring path;
      std::filesystem::file_time_type lastWrite;
    };
    std::vector<Dump> dumps;
    std::error_code error;
    std::filesystem::directory_iterator entries(std::filesystem::path(cstr(location_)), error);
    if (error) return;
    for (const std::filesystem::directory_entry& entry : entries) {
      std::error_code entryError;
      if (entry.is_directory(entryError) || entryError) continue;
      const std::wstring name = wstrLenient(entry.path().filename().string());
      if (!isDumpFileName(name)) continue;
      const auto lastWrite = entry.last_write_time(entryError);
      if (entryError) continue;
      dumps.push_back({VFileName::combine(location_, name), lastWrite});
    }
    std::stable_sort(dumps.begin(), dumps.end(),
                     [](const Dump& a, const Dump& b) { return a.lastWrite < b.lastWrite; });
    for (size_t oldest = 0; dumps.size() - oldest > maxCount_; ++oldest) {
      removeFile(dumps[oldest].path, true);
    }
  } catch (...) {
    // Pruning is housekeeping: a failure leaves the remaining dumps in place.
  }
}
