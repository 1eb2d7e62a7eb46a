#include "base/files/atomic_write.h"

#include <atomic>

#include "base/errors/os_error.h"
#include "base/files/file_system.h"
#include "base/system/process.h"
#include "base/text/vaformat.h"

namespace {

// A name beside the target that no other writer of this process or of
// another one picks at the same time.
std::wstring temporaryNameFor(const std::wstring& path) {
  static std::atomic<uint32_t> counter{0};
  return vaformat(L"%s.~%u.%u.tmp", path, currentProcessId(), counter.fetch_add(1) + 1);
}

[[noreturn]] void fail(FileSystem& fs, const std::wstring& temporary, const std::wstring& where, uint32_t code) {
  fs.deleteFile(temporary);  // best effort: the failure below is what matters
  throwOsError(where, code, VCALLPOINT(L"", "replaceFileAtomically"));
}

}  // namespace

void replaceFileAtomically(const std::wstring& path, std::string_view bytes) {
  FileSystem& fs = FileSystem::current();
  const std::wstring temporary = temporaryNameFor(path);

  if (uint32_t error = fs.writeFile(temporary, bytes, FileDisposition::CreateAlways, true)) {
    fail(fs, temporary, L"Write to file '" + path + L"'", error);
  }
  FileAttributes old;
  if (fs.getAttributes(path, old) == ERROR_SUCCESS) {
    if (uint32_t error = fs.copySecurity(path, temporary)) {
      fail(fs, temporary, L"Copy the owner and access of file '" + path + L"' to '" + temporary + L"'", error);
    }
  }
  if (uint32_t error = fs.moveFile(temporary, path, MOVE_REPLACE_EXISTING)) {
    fail(fs, temporary, L"Rename file '" + temporary + L"' to '" + path + L"'", error);
  }
}
