#pragma once
// The dumps in the dump directory with their last-write times, at the file
// system's full resolution: the clean-up deletes the oldest first, and dumps
// written within one second must keep their order (the Windows runtime's
// std::filesystem gives whole seconds).

#include <cstdint>
#include <string>
#include <vector>

namespace wc {

struct DumpFile {
  std::wstring path;
  int64_t lastWrite = 0;  // in the platform's own unit: only compared
};

// The files of `directory` that isDumpFileName accepts, never a directory;
// nothing when the directory cannot be listed.
std::vector<DumpFile> listDumpFiles(const std::wstring& directory);

}  // namespace wc
