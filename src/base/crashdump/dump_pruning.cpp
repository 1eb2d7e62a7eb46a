// The clean-up of the dump directory at normal program end.

#include <algorithm>
#include <vector>

#include "base/crashdump/crash_dump_info.h"
#include "base/crashdump/dump_files.h"
#include "base/files/remove.h"

namespace wc {

void CrashDumpInfo::pruneDumps() noexcept {
  if (!enabled_) return;
  try {
    std::vector<DumpFile> dumps = listDumpFiles(location_);
    std::stable_sort(dumps.begin(), dumps.end(),
                     [](const DumpFile& a, const DumpFile& b) { return a.lastWrite < b.lastWrite; });
    for (size_t oldest = 0; dumps.size() - oldest > maxCount_; ++oldest) removeFile(context_, dumps[oldest].path, true);
  } catch (...) {
    // Pruning is housekeeping: a failure leaves the remaining dumps in place.
  }
}

}  // namespace wc
