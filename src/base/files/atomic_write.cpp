#include "base/files/atomic_write.h"

#include <atomic>

#include "base/errors/os_error.h"
#include "base/files/file_system.h"
#include "base/files/symbolic_link.h"
#include "base/system/process.h"
#include "base/text/vaformat.h"

namespace {

// A name beside the target that no other writer of this process or of
// another one picks at the same time: "<target>.~<process id>.<count>.tmp"
// (replacedFileOfTemporary reads it back).
std::wstring temporaryNameFor(const std::wstring& path) {
  static std::atomic<uint32_t> counter{0};
  return vaformat(L"%s.~%u.%u.tmp", path, currentProcessId(), counter.fetch_add(1) + 1);
}

// Takes a run of decimal digits, and then `separator`, off the end of `text`.
bool takeNumberAfter(std::wstring_view& text, std::wstring_view separator) {
  const size_t digits = text.find_last_not_of(L"0123456789") + 1;  // 0 when all are digits
  if (digits == text.size() || !text.substr(0, digits).ends_with(separator)) return false;
  text = text.substr(0, digits - separator.size());
  return true;
}

[[noreturn]] void fail(FileSystem& fs, const std::wstring& temporary, const std::wstring& where, uint32_t code) {
  fs.deleteFile(temporary);  // best effort: the failure below is what matters
  throwOsError(where, code, VCALLPOINT(L"", "replaceFileAtomically"));
}

}  // namespace

void replaceFileAtomically(const std::wstring& givenPath, std::string_view bytes, const FilePermissions* permissions) {
  // A link is kept and the file it points at replaced: renaming over the link
  // would make it a file of its own and leave the target as it was.
  std::wstring path;
  if (uint32_t error = resolveSymbolicLinks(givenPath, path)) {
    throwOsError(L"Follow the symbolic links of '" + givenPath + L"'", error, VCALLPOINT(L"", "replaceFileAtomically"));
  }
  FileSystem& fs = FileSystem::current();
  const std::wstring temporary = temporaryNameFor(path);

  // Nobody but the owner may read what the file is going to hold (a realm
  // file's passwords) before its own permissions are in place.
  uint32_t error = fs.writeFile(temporary, "", FileDisposition::CreateAlways, false);
  if (!error) error = fs.setPermissions(temporary, FilePermissions{0600, L""});
  if (!error) error = fs.writeFile(temporary, bytes, FileDisposition::TruncateExisting, true);
  if (error) fail(fs, temporary, L"Write to file '" + path + L"'", error);

  FileAttributes old;
  if (permissions) {
    if (uint32_t e = fs.setPermissions(temporary, *permissions)) {
      fail(fs, temporary, L"Set the access of file '" + temporary + L"'", e);
    }
  } else if (fs.getAttributes(path, old) == ERROR_SUCCESS) {
    if (uint32_t e = fs.copySecurity(path, temporary)) {
      fail(fs, temporary, L"Copy the owner and access of file '" + path + L"' to '" + temporary + L"'", e);
    }
  } else if (uint32_t e = fs.setPermissions(temporary, FilePermissions{})) {
    fail(fs, temporary, L"Set the access of file '" + temporary + L"'", e);
  }
  if (uint32_t error = fs.moveFile(temporary, path, MOVE_REPLACE_EXISTING)) {
    fail(fs, temporary, L"Rename file '" + temporary + L"' to '" + path + L"'", error);
  }
}

std::optional<std::wstring_view> replacedFileOfTemporary(std::wstring_view name) {
  if (!name.ends_with(L".tmp")) return std::nullopt;
  name.remove_suffix(4);
  if (!takeNumberAfter(name, L".") || !takeNumberAfter(name, L".~") || name.empty()) return std::nullopt;
  return name;
}
