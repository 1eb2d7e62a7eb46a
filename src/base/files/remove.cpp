#include "base/files/remove.h"

#include <vector>

#include "base/errors/os_error.h"
#include "base/files/file_exist.h"
#include "base/files/file_name.h"
#include "base/files/file_system.h"
#include "base/files/holding_processes.h"
#include "base/files/recycler.h"
#include "base/system/clock.h"
#include "base/text/vaformat.h"

namespace wc {

namespace {

bool gone(uint32_t error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// What force does before the second attempt.
void unlock(FileSystem& fs, const std::wstring& path) {
  fs.grantDeleteAccess(path);
  fs.setReadOnly(path, false);
}

[[noreturn]] void throwRemoveDirFailure(const wchar_t* action, const std::wstring& name, uint32_t error) {
  if (error == ERROR_SHARING_VIOLATION) {
    std::wstring holders = RunTime::processesHoldingFiles({name});
    if (!holders.empty()) {
      throwOsError(vaformat(L"%s '%s'. Processes: %s", action, name, holders), error, VCALLPOINT(L"", "removeDir"));
    }
  }
  throwOsError(std::wstring(action) + L" '" + name + L"'", error, VCALLPOINT(L"", "removeDir"));
}

[[noreturn]] void throwMoveFailure(const std::wstring& from, const std::wstring& to, uint32_t error) {
  if (error == ERROR_SHARING_VIOLATION) {
    std::wstring holders = RunTime::processesHoldingFiles({from});
    if (!holders.empty()) {
      throwOsError(vaformat(L"Move file '%s' to '%s'. Processes: %s", from, to, holders), error,
                   VCALLPOINT(L"", "removeDir"));
    }
  }
  throwOsError(L"Move file '" + from + L"' to '" + to + L"'", error, VCALLPOINT(L"", "removeDir"));
}

// Moves an entry of a tree into the recycler and answers its new name.
std::wstring moveToRecycler(const Context& context, const std::wstring& name, const std::wstring& recycler,
                            bool force) {
  FileSystem& fs = *context.files;
  std::wstring target = uniqueNameIn(context, recycler);
  uint32_t error = fs.moveFile(name, target, 0);
  if (error != ERROR_SUCCESS && force) {
    unlock(fs, name);
    target = uniqueNameIn(context, recycler);
    error = fs.moveFile(name, target, 0);
  }
  if (error != ERROR_SUCCESS) throwMoveFailure(name, target, error);
  return target;
}

}  // namespace

void removeFile(const Context& context, const std::wstring& path, bool force, bool throughRecycler, int retries,
                uint32_t pauseMs) {
  FileSystem& fs = *context.files;
  FileAttributes attributes;
  // Nothing to remove: leave the volume without a recycler it does not need.
  if (throughRecycler && gone(fs.getAttributes(path, attributes))) return;
  const std::wstring recycler = throughRecycler ? recyclerDirectory(context, path) : std::wstring();
  std::wstring target;
  auto attempt = [&]() -> uint32_t {
    if (!throughRecycler) return fs.deleteFile(path);
    target = uniqueNameIn(context, recycler);
    uint32_t error = fs.moveFile(path, target, 0);
    if (error == ERROR_SUCCESS) fs.deleteFile(target);  // the name is free; what stays is the recycler's
    return error;
  };

  uint32_t error = attempt();
  if (error == ERROR_SUCCESS || gone(error)) return;
  if (force) {
    unlock(fs, path);
    error = attempt();
    if (error == ERROR_SUCCESS || gone(error)) return;
  }
  while (retries > 0) {
    --retries;
    context.clock->sleep(pauseMs);
    error = attempt();
    if (error == ERROR_SUCCESS || gone(error)) return;
  }
  if (throughRecycler) {
    throwOsError(L"Move file '" + path + L"' to '" + target + L"'", error, VCALLPOINT(L"", "removeFile"));
  }
  throwOsError(L"DeleteFile '" + path + L"'", error, VCALLPOINT(L"", "removeFile"));
}

void removeDir(const Context& context, const std::wstring& path, bool force, const std::wstring& recycler) {
  FileSystem& fs = *context.files;
  std::vector<DirectoryEntry> entries;
  uint32_t error = fs.listDirectory(path, entries);
  if (error != ERROR_SUCCESS && force && error != ERROR_NO_MORE_FILES && error != ERROR_NO_DATA) {
    unlock(fs, path);
    error = fs.listDirectory(path, entries);
  }
  if (error != ERROR_SUCCESS) entries.clear();  // whatever is there, the removal below reports

  std::vector<std::wstring> subdirectories;
  for (const DirectoryEntry& entry : entries) {
    const std::wstring name = VFileName::combine(path, entry.name);
    if (entry.directory) {
      subdirectories.push_back(name);
      continue;
    }
    const std::wstring victim = recycler.empty() ? name : moveToRecycler(context, name, recycler, force);
    error = fs.deleteFile(victim);
    if (error != ERROR_SUCCESS && !gone(error) && force) {
      unlock(fs, victim);
      error = fs.deleteFile(victim);
    }
    if (error != ERROR_SUCCESS && !gone(error)) throwRemoveDirFailure(L"Delete file", victim, error);
  }
  for (const std::wstring& subdirectory : subdirectories) removeDir(context, subdirectory, force, recycler);

  fs.setReadOnly(path, false);
  const std::wstring victim = recycler.empty() ? path : moveToRecycler(context, path, recycler, force);
  error = fs.removeDirectory(victim);
  if (error != ERROR_SUCCESS && force) {
    unlock(fs, victim);
    error = fs.removeDirectory(victim);
  }
  if (error != ERROR_SUCCESS) throwRemoveDirFailure(L"Delete directory", victim, error);
}

void removeDirectory(const Context& context, const std::wstring& path, bool force, bool throughRecycler) {
  if (!directoryExist(context, path)) return;
  removeDir(context, path, force, throughRecycler ? recyclerDirectory(context, path) : std::wstring());
}

}  // namespace wc
