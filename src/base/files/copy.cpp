#include "base/files/copy.h"

#include <vector>

#include "base/errors/os_error.h"
#include "base/files/directory.h"
#include "base/files/file_name.h"
#include "base/files/file_system.h"
#include "base/files/holding_processes.h"
#include "base/text/vaformat.h"

namespace wc {

void copyFile(const Context& context, const std::wstring& from, const std::wstring& to, bool failIfExists) {
  const uint32_t error = context.files->copyFile(from, to, failIfExists);
  if (error == ERROR_SUCCESS) return;
  if (error == ERROR_SHARING_VIOLATION) {
    std::wstring holders = RunTime::processesHoldingFiles({from, to});
    if (!holders.empty()) {
      throwOsError(vaformat(L"Copy file '%s' to '%s'. Processes: %s", from, to, holders), error,
                   VCALLPOINT(L"", "copyFile"));
    }
  }
  throwOsError(L"copy file " + from + L" to " + to, error, VCALLPOINT(L"", "copyFile"));
}

void copyDirectoryTree(const Context& context, const std::wstring& from, const std::wstring& to, bool failIfExists) {
  FileSystem& fs = *context.files;
  std::vector<DirectoryEntry> entries;
  if (uint32_t error = fs.listDirectory(from, entries)) {
    throwOsError(L"Copy directory '" + from + L"' to '" + to + L"'", error, VCALLPOINT(L"", "copyDirectoryTree"));
  }
  VDirectory::createDirectory(context, to);
  for (const DirectoryEntry& entry : entries) {
    const std::wstring source = VFileName::combine(from, entry.name);
    const std::wstring target = VFileName::combine(to, entry.name);
    if (entry.directory) {
      copyDirectoryTree(context, source, target, failIfExists);
    } else {
      copyFile(context, source, target, failIfExists);
    }
  }
}

}  // namespace wc
