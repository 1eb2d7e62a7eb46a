#include "base/crashdump/dump_files.h"

#include <filesystem>
#include <system_error>

#include "base/crashdump/crash_dump_info.h"
#include "base/errors/strict_convert.h"
#include "base/files/file_name.h"
#include "base/text/convert.h"

namespace wc {

std::vector<DumpFile> listDumpFiles(const std::wstring& directory) {
  std::vector<DumpFile> dumps;
  std::error_code error;
  std::filesystem::directory_iterator entries(std::filesystem::path(cstr(directory)), error);
  if (error) return dumps;
  for (const std::filesystem::directory_entry& entry : entries) {
    std::error_code entryError;
    if (entry.is_directory(entryError) || entryError) continue;
    const std::wstring name = wstrLenient(entry.path().filename().string());
    if (!isDumpFileName(name)) continue;
    const auto lastWrite = entry.last_write_time(entryError);
    if (entryError) continue;
    dumps.push_back({VFileName::combine(directory, name), lastWrite.time_since_epoch().count()});
  }
  return dumps;
}

}  // namespace wc
