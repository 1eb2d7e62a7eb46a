#include "base/crashdump/dump_files.h"

#include <windows.h>

#include "base/crashdump/crash_dump_info.h"
#include "base/files/file_name.h"
#include "base/files/long_path_win32.h"
#include "base/system/unique_handle_win32.h"

namespace wc {

std::vector<DumpFile> listDumpFiles(const std::wstring& directory) {
  std::vector<DumpFile> dumps;
  WIN32_FIND_DATAW found{};
  // Every name, checked below: a "*.dmp" pattern would match by the short
  // 8.3 names too.
  UniqueFindHandle search(FindFirstFileExW(longPathForm(VFileName::combine(directory, L"*")).c_str(), FindExInfoBasic,
                                           &found, FindExSearchNameMatch, nullptr, 0));
  if (!search) return dumps;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || !isDumpFileName(found.cFileName)) continue;
    const int64_t lastWrite = static_cast<int64_t>((uint64_t{found.ftLastWriteTime.dwHighDateTime} << 32) |
                                                   found.ftLastWriteTime.dwLowDateTime);
    dumps.push_back({VFileName::combine(directory, found.cFileName), lastWrite});
  } while (FindNextFileW(search.get(), &found));
  return dumps;
}

}  // namespace wc
