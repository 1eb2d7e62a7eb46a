// The settings file on Windows. A file that another process holds open cannot
// be replaced here, so the locks live on a lock file beside it ("<file>.lock")
// that is never replaced: readers hold it shared while they read, a writer
// holds it alone from reading the current text to renaming the new file over
// the old one, when no reader has the settings file open.

#include "base/registry/store_file.h"

#include <algorithm>
#include <optional>
#include <string>

#include "base/system/unique_handle_win32.h"

namespace wc {

namespace registry {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::wstring directoryOf(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

uint32_t makeDirectories(const std::wstring& directory) {
  if (GetFileAttributesW(directory.c_str()) != INVALID_FILE_ATTRIBUTES) return 0;
  std::wstring parent = directoryOf(directory);
  if (parent != directory && parent != L"." && !parent.empty() && parent.back() != L':') {
    if (uint32_t error = makeDirectories(parent)) return error;
  }
  if (!CreateDirectoryW(directory.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return GetLastError();
  return 0;
}

// The whole lock file locked shared or alone until the object goes.
class StoreLock {
 public:
  uint32_t acquire(const std::wstring& path, bool exclusive) {
    const std::wstring lockPath = path + L".lock";
    file_.reset(CreateFileW(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    // A reader that may not write in the directory takes the lock file as
    // it is; with none there, no writer has been at work.
    if (!file_ && !exclusive && GetLastError() == ERROR_ACCESS_DENIED) {
      file_.reset(CreateFileW(lockPath.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr));
      if (!file_ && GetLastError() == ERROR_FILE_NOT_FOUND) return 0;
    }
    if (!file_) return GetLastError();
    OVERLAPPED whole{};
    if (!LockFileEx(file_.get(), exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0, 0, MAXDWORD, MAXDWORD, &whole)) {
      return GetLastError();
    }
    locked_ = true;
    return 0;
  }
  ~StoreLock() {
    OVERLAPPED whole{};
    if (locked_) UnlockFileEx(file_.get(), 0, MAXDWORD, MAXDWORD, &whole);
  }

 private:
  UniqueFileHandle file_;
  bool locked_ = false;
};

// The file's text; 0 with `exists` false when there is no file.
uint32_t readFile(const std::wstring& path, std::string& text, bool& exists) {
  text.clear();
  UniqueFileHandle file(
      CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    DWORD error = GetLastError();
    exists = false;
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : error;
  }
  exists = true;
  char buffer[65536];
  DWORD got = 0;
  do {
    if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) return GetLastError();
    text.append(buffer, got);
  } while (got != 0);
  return 0;
}

uint32_t writeFile(HANDLE file, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    DWORD written = 0;
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1u << 30));
    if (!WriteFile(file, text.data() + done, chunk, &written, nullptr)) return GetLastError();
    done += written;
  }
  return FlushFileBuffers(file) ? 0 : GetLastError();
}

// Writes a temporary file beside `path` and renames it over the old one.
uint32_t replaceFile(const std::wstring& path, const std::string& text) {
  std::wstring temporary = path + L".new" + std::to_wstring(GetCurrentProcessId());
  UniqueFileHandle file(
      CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return GetLastError();
  uint32_t error = writeFile(file.get(), text);
  file.reset();
  if (!error && !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = GetLastError();
  }
  if (error) DeleteFileW(temporary.c_str());
  return error;
}

}  // namespace

uint32_t readStoreFile(const std::wstring& path, std::string& text, bool& exists) {
  if (GetFileAttributesW(directoryOf(path).c_str()) == INVALID_FILE_ATTRIBUTES) {
    exists = false;
    text.clear();
    return 0;
  }
  StoreLock lock;
  if (uint32_t error = lock.acquire(path, false)) return error;
  return readFile(path, text, exists);
}

uint32_t updateStoreFile(const std::wstring& path, const StoreFileChange& change) {
  if (uint32_t error = makeDirectories(directoryOf(path))) return error;
  StoreLock lock;
  if (uint32_t error = lock.acquire(path, true)) return error;
  std::string current;
  bool exists = false;
  if (uint32_t error = readFile(path, current, exists)) return error;
  std::optional<std::string> replacement;
  if (uint32_t error = change(current, replacement)) return error;
  if (!replacement) return 0;
  return replaceFile(path, *replacement);
}

}  // namespace registry

}  // namespace wc
