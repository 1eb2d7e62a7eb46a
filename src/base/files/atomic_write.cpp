#include "base/files/atomic_write.h"

#include <atomic>

#include "base/errors/os_error.h"
#include "base/files/file_system.h"
#include "base/files/symbolic_link.h"
#include "base/system/clock.h"
#include "base/system/process.h"
#include "base/text/vaformat.h"

namespace wc {

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

constexpr int kPlacingTries = 10;
constexpr uint32_t kPlacingPauseMs = 100;

// The codes with which Windows refuses to replace a file that another process
// holds open without delete sharing.
bool isHeldOpen(uint32_t code) {
  return code == ERROR_SHARING_VIOLATION || code == ERROR_ACCESS_DENIED || code == ERROR_LOCK_VIOLATION;
}

[[noreturn]] void fail(const std::wstring& where, uint32_t code) {
  throwOsError(where, code, VCALLPOINT(L"", "replaceFileAtomically"));
}

}  // namespace

FileReplacement::FileReplacement(const Context& context, const std::wstring& path) : context_(context) {
  // A link is kept and the file it points at replaced: renaming over the link
  // would make it a file of its own and leave the target as it was.
  if (uint32_t error = resolveSymbolicLinks(path, target_)) {
    throwOsError(L"Follow the symbolic links of '" + path + L"'", error, VCALLPOINT(L"", "replaceFileAtomically"));
  }
  temporary_ = temporaryNameFor(target_);
}

FileReplacement::~FileReplacement() {
  if (!placed_) context_.files->deleteFile(temporary_);  // best effort: a failure is already on its way
}

FileReplacement::Placed FileReplacement::putInPlace(const FilePermissions* permissions, Placing placing) {
  FileSystem& fs = *context_.files;
  FileAttributes old;
  const bool exists = fs.getAttributes(target_, old) == ERROR_SUCCESS;
  if (permissions) {
    if (uint32_t e = fs.setPermissions(temporary_, *permissions)) {
      fail(L"Set the access of file '" + temporary_ + L"'", e);
    }
  } else if (exists) {
    if (uint32_t e = fs.copySecurity(target_, temporary_)) {
      fail(L"Copy the owner and access of file '" + target_ + L"' to '" + temporary_ + L"'", e);
    }
  } else if (uint32_t e = fs.setPermissions(temporary_, FilePermissions{})) {
    fail(L"Set the access of file '" + temporary_ + L"'", e);
  }
  const std::wstring where = L"Rename file '" + temporary_ + L"' to '" + target_ + L"'";
  if (placing == Placing::KeepExisting) {
    const uint32_t error = fs.moveFile(temporary_, target_, 0);
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return Placed::ExistingKept;
    if (error) fail(where, error);
    placed_ = true;
    return Placed::Replaced;
  }
  uint32_t error = fs.replaceFile(target_, temporary_);
  for (int tries = 1; placing == Placing::ReplaceOrWriteInPlace && isHeldOpen(error) && tries < kPlacingTries;
       ++tries) {
    context_.clock->sleep(kPlacingPauseMs);
    error = fs.replaceFile(target_, temporary_);
  }
  if (error == ERROR_SUCCESS) {
    placed_ = true;
    return Placed::Replaced;
  }
  if (placing != Placing::ReplaceOrWriteInPlace || !isHeldOpen(error)) fail(where, error);
  writeInPlace();
  return Placed::WrittenInPlace;
}

void FileReplacement::writeInPlace() {
  FileSystem& fs = *context_.files;
  const std::wstring written = L"Write to file '" + target_ + L"'";
  // The holder shares writing, not deletion: the bytes go into the file it
  // holds, as they did before files were replaced whole. A write that fails
  // halfway would leave the file cut short, so its old bytes are copied
  // beside it first and put back then. The copy gets the file's owner and
  // access before it holds a byte: nobody reads it who may not read the file.
  const std::wstring kept = temporaryNameFor(target_);
  uint32_t copied = fs.writeFile(kept, "", FileDisposition::CreateAlways, false);
  if (!copied) copied = fs.copySecurity(target_, kept);
  if (!copied) copied = fs.writeFileFrom(kept, target_);
  if (copied) {
    fs.deleteFile(kept);
    fail(written, copied);
  }
  const uint32_t e = fs.writeFileFrom(target_, temporary_);
  if (e == ERROR_SUCCESS || fs.writeFileFrom(target_, kept) == ERROR_SUCCESS) {
    fs.deleteFile(kept);  // best effort: a copy left behind names the file it was for
    if (e) fail(written, e);
    return;
  }
  // Putting them back failed too: the old bytes stay in the copy, which the
  // message names.
  fail(written + L"; its old contents are in '" + kept + L"'", e);
}

void replaceFileAtomically(const Context& context, const std::wstring& path, std::string_view bytes,
                           const FilePermissions* permissions) {
  FileReplacement replacement(context, path);
  FileSystem& fs = *context.files;
  const std::wstring& temporary = replacement.temporary();
  // Nobody but the owner may read what the file is going to hold (a realm
  // file's passwords) before its own permissions are in place.
  uint32_t error = fs.writeFile(temporary, "", FileDisposition::CreateAlways, false);
  if (!error) error = fs.setPermissions(temporary, FilePermissions{0600, L""});
  if (!error) error = fs.writeFile(temporary, bytes, FileDisposition::TruncateExisting, true);
  if (error) fail(L"Write to file '" + replacement.target() + L"'", error);
  replacement.putInPlace(permissions, FileReplacement::Placing::Replace);
}

std::optional<std::wstring_view> replacedFileOfTemporary(std::wstring_view name) {
  if (!name.ends_with(L".tmp")) return std::nullopt;
  name.remove_suffix(4);
  if (!takeNumberAfter(name, L".") || !takeNumberAfter(name, L".~") || name.empty()) return std::nullopt;
  return name;
}

}  // namespace wc
