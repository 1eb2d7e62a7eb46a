#include "base/files/rename.h"

#include <vector>

#include "base/errors/os_error.h"
#include "base/errors/vguard.h"
#include "base/files/file_name.h"
#include "base/files/file_system.h"
#include "base/files/holding_processes.h"
#include "base/files/recycler.h"
#include "base/files/remove.h"
#include "base/system/clock.h"
#include "base/text/vaformat.h"

namespace wc {

namespace {

constexpr uint32_t kSharingPauseMs = 100;
constexpr int kTriesPerFile = 100;

// Sets up the target of a piece-by-piece move; true when it created it.
bool prepareTarget(FileSystem& fs, const std::wstring& from, const std::wstring& to, bool replaceExisting) {
  FileAttributes source;
  if (uint32_t error = fs.getAttributes(from, source)) {
    throwOsError(L"Read the security descriptor of directory '" + from + L"'", error, VCALLPOINT(L"", "renameDir"));
  }
  FileAttributes target;
  if (fs.getAttributes(to, target) == ERROR_SUCCESS) {
    if (!replaceExisting) throw vexception(vaformat(L"Directory %s already exists", to), VCALLPOINT(L"", "renameDir"));
    if (uint32_t error = fs.copySecurity(from, to)) {
      throwOsError(L"Set the security descriptor of directory '" + to + L"'", error, VCALLPOINT(L"", "renameDir"));
    }
    return false;
  }
  if (uint32_t error = fs.createDirectoryLike(to, from)) {
    throwOsError(to, error, VCALLPOINT(vaformat(L"CreateDirectory(%s)", to), "renameDir"));
  }
  return true;
}

void moveDirectoryPieceByPiece(const Context& context, const std::wstring& from, const std::wstring& to,
                               bool replaceExisting) {
  FileSystem& fs = *context.files;
  const bool created = prepareTarget(fs, from, to, replaceExisting);
  std::vector<std::wstring> movedFiles;
  std::vector<std::wstring> movedDirectories;
  try {
    std::vector<DirectoryEntry> entries;
    if (uint32_t error = fs.listDirectory(from, entries)) {
      throwOsError(L"List directory '" + from + L"'", error, VCALLPOINT(L"", "renameDir"));
    }
    for (const DirectoryEntry& entry : entries) {
      const std::wstring source = VFileName::combine(from, entry.name);
      const std::wstring target = VFileName::combine(to, entry.name);
      if (entry.directory) {
        renameDir(context, source, target, false);
        movedDirectories.push_back(entry.name);
        continue;
      }
      try {
        renameFile(context, source, target, kTriesPerFile);
        movedFiles.push_back(entry.name);
      } catch (const VFileNotFoundException&) {
        // Removed by someone else meanwhile: nothing to move.
      }
    }
  } catch (...) {
    // Put back what was moved; a failure here must not hide the first one.
    for (const std::wstring& name : movedFiles) {
      try {
        renameFile(context, VFileName::combine(to, name), VFileName::combine(from, name), 1);
      } catch (...) {
      }
    }
    for (const std::wstring& name : movedDirectories) {
      try {
        renameDir(context, VFileName::combine(to, name), VFileName::combine(from, name), false);
      } catch (...) {
      }
    }
    if (created) {
      try {
        removeDir(context, to, true);
      } catch (...) {
      }
    }
    throw;
  }
  removeDir(context, from, true, recyclerDirectory(context, from));
}

}  // namespace

void renameFile(const Context& context, const std::wstring& from, const std::wstring& to, int tries) {
  FileSystem& fs = *context.files;
  uint32_t error = ERROR_SUCCESS;
  while (tries > 0) {
    --tries;
    error = fs.moveFile(from, to, MOVE_COPY_ALLOWED);
    if (error == ERROR_SUCCESS) return;
    if (error != ERROR_SHARING_VIOLATION) {
      throwOsError(L"Rename file '" + from + L"' to '" + to + L"'", error, VCALLPOINT(L"", "renameFile"));
    }
    if (tries > 0) context.clock->sleep(kSharingPauseMs);
  }
  if (error == ERROR_SUCCESS) return;  // no tries asked for
  std::wstring holders = RunTime::processesHoldingFiles({from});
  if (!holders.empty()) {
    throwOsError(vaformat(L"Rename file '%s' to '%s'. Processes: %s", from, to, holders), error,
                 VCALLPOINT(L"", "renameFile"));
  }
  throwOsError(L"Rename file '" + from + L"' to '" + to + L"'", error, VCALLPOINT(L"", "renameFile"));
}

void renameDir(const Context& context, const std::wstring& from, const std::wstring& to, bool replaceExisting) {
  vguard(
      "renameDir", __LINE__, [&] { return vaformat(L"RenameDir('%s', '%s')", from, to); },
      [&] {
        if (isPathInside(to, from)) {
          throw ArgumentException(vaformat(L"Unable to move directory '%s' into itself ('%s')", from, to),
                                  VCALLPOINT(L"", "renameDir"));
        }
        FileSystem& fs = *context.files;
        // A file in the way is never replaced, whatever the system's move
        // would do with it (some replace it with the directory).
        FileAttributes target;
        if (replaceExisting && fs.getAttributes(to, target) == ERROR_SUCCESS && !target.directory) {
          throw vexception(vaformat(L"File %s already exists", to), VCALLPOINT(L"", "renameDir"));
        }
        if (fs.moveFile(from, to, replaceExisting ? MOVE_REPLACE_EXISTING : 0) == ERROR_SUCCESS) return;
        moveDirectoryPieceByPiece(context, from, to, replaceExisting);
      });
}

}  // namespace wc
