#include "base/files/file_system.h"

#include <windows.h>

#include <algorithm>

#include "base/errors/win_error_codes.h"
#include "base/files/access_lists_win32.h"
#include "base/files/long_path_win32.h"
#include "base/files/path_root.h"
#include "base/system/unique_handle_win32.h"

namespace wc {

namespace {

uint32_t attributesOf(const std::wstring& path, DWORD& attributes) {
  attributes = GetFileAttributesW(longPathForm(path).c_str());
  return attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_SUCCESS;
}

// A symbolic link or junction to a directory: removed as a directory entry,
// never entered (its target's content is not ours to delete).
bool isDirectoryLink(DWORD attributes) {
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

std::wstring allEntriesPattern(const std::wstring& directory) {
  std::wstring pattern = longPathForm(directory);
  if (pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
  return pattern + L'*';
}

uint32_t success(BOOL done) { return done ? ERROR_SUCCESS : GetLastError(); }

class Win32FileSystem final : public FileSystem {
 public:
  uint32_t getAttributes(const std::wstring& path, FileAttributes& attributes) override {
    attributes = {};
    if (path.empty()) return ERROR_PATH_NOT_FOUND;
    DWORD raw = 0;
    if (uint32_t error = attributesOf(path, raw)) return error;
    attributes.directory = (raw & FILE_ATTRIBUTE_DIRECTORY) != 0;
    attributes.readOnly = (raw & FILE_ATTRIBUTE_READONLY) != 0;
    return ERROR_SUCCESS;
  }

  uint32_t setReadOnly(const std::wstring& path, bool readOnly) override {
    DWORD raw = 0;
    if (uint32_t error = attributesOf(path, raw)) return error;
    DWORD wanted = readOnly ? (raw | FILE_ATTRIBUTE_READONLY) : (raw & ~FILE_ATTRIBUTE_READONLY);
    if (wanted == raw) return ERROR_SUCCESS;
    if (wanted == 0) wanted = FILE_ATTRIBUTE_NORMAL;
    return success(SetFileAttributesW(longPathForm(path).c_str(), wanted));
  }

  uint32_t grantDeleteAccess(const std::wstring& path) override { return grantCallerDeleteAccess(path); }

  uint32_t deleteFile(const std::wstring& path) override {
    if (path.empty()) return ERROR_PATH_NOT_FOUND;
    const std::wstring name = longPathForm(path);
    if (DeleteFileW(name.c_str())) return ERROR_SUCCESS;
    const DWORD error = GetLastError();
    DWORD raw = 0;
    if (error == ERROR_ACCESS_DENIED && attributesOf(path, raw) == ERROR_SUCCESS && isDirectoryLink(raw)) {
      return success(RemoveDirectoryW(name.c_str()));
    }
    return error;
  }

  uint32_t removeDirectory(const std::wstring& path) override {
    if (path.empty()) return ERROR_PATH_NOT_FOUND;
    return success(RemoveDirectoryW(longPathForm(path).c_str()));
  }

  uint32_t moveFile(const std::wstring& from, const std::wstring& to, uint32_t flags) override {
    if (from.empty() || to.empty()) return ERROR_PATH_NOT_FOUND;
    DWORD moveFlags = MOVEFILE_WRITE_THROUGH;
    if ((flags & MOVE_REPLACE_EXISTING) != 0) moveFlags |= MOVEFILE_REPLACE_EXISTING;
    if ((flags & MOVE_COPY_ALLOWED) != 0) moveFlags |= MOVEFILE_COPY_ALLOWED;
    const std::wstring source = longPathForm(from);
    const std::wstring target = longPathForm(to);
    if (source == target || !samePathText(source, target)) {
      return success(MoveFileExW(source.c_str(), target.c_str(), moveFlags));
    }
    // A new letter case for the same name ("a.war" to "A.war"): Windows
    // renames it, Wine takes it for a move onto itself and does nothing.
    // Through a name of its own it is renamed on both.
    const std::wstring step = source + L".~" + std::to_wstring(GetCurrentProcessId()) + L".case";
    if (!MoveFileExW(source.c_str(), step.c_str(), MOVEFILE_WRITE_THROUGH)) return GetLastError();
    if (MoveFileExW(step.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) return ERROR_SUCCESS;
    const DWORD error = GetLastError();
    MoveFileExW(step.c_str(), source.c_str(), MOVEFILE_WRITE_THROUGH);
    return error;
  }

  uint32_t replaceFile(const std::wstring& replaced, const std::wstring& replacement) override {
    DWORD raw = 0;
    const uint32_t lookup = attributesOf(replaced, raw);
    if (lookup == ERROR_FILE_NOT_FOUND) return moveFile(replacement, replaced, MOVE_REPLACE_EXISTING);
    if (lookup != ERROR_SUCCESS) return lookup;
    const std::wstring target = longPathForm(replaced);
    // The access a replacing rename takes to the replaced file, asked for
    // first: a holder without delete sharing refuses it.
    UniqueFileHandle probe(CreateFileW(target.c_str(), DELETE | SYNCHRONIZE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!probe) return GetLastError();
    probe.reset();
    // One rename, which a killed run never leaves half done. ReplaceFileW is
    // no single step: it may end with no file under the name
    // (ERROR_UNABLE_TO_MOVE_REPLACEMENT), and Wine's, killed in its midst,
    // leaves none. The access list came with copySecurity; the attributes
    // that say what the file is come here.
    const std::wstring source = longPathForm(replacement);
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if ((raw & kKept) != 0 && !SetFileAttributesW(source.c_str(), (raw & kKept) | FILE_ATTRIBUTE_ARCHIVE)) {
      return GetLastError();
    }
    return success(MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  }

  uint32_t createDirectory(const std::wstring& path, const DirectoryAccess* access) override {
    if (path.empty()) return ERROR_PATH_NOT_FOUND;
    UniqueLocalMemory descriptor;
    SECURITY_ATTRIBUTES security{sizeof security, nullptr, FALSE};
    if (access != nullptr) {
      if (uint32_t error = directorySecurityDescriptor(*access, descriptor)) return error;
      security.lpSecurityDescriptor = descriptor.get();
    }
    return success(CreateDirectoryW(longPathForm(path).c_str(), access != nullptr ? &security : nullptr));
  }

  uint32_t createDirectoryLike(const std::wstring& path, const std::wstring& model) override {
    if (path.empty()) return ERROR_PATH_NOT_FOUND;
    return createDirectoryWithSecurityOf(path, model);
  }

  uint32_t createHardLink(const std::wstring& newPath, const std::wstring& existing) override {
    if (newPath.empty() || existing.empty()) return ERROR_PATH_NOT_FOUND;
    return success(CreateHardLinkW(longPathForm(newPath).c_str(), longPathForm(existing).c_str(), nullptr));
  }

  uint32_t copyFile(const std::wstring& from, const std::wstring& to, bool failIfExists) override {
    if (from.empty() || to.empty()) return ERROR_PATH_NOT_FOUND;
    return success(CopyFileW(longPathForm(from).c_str(), longPathForm(to).c_str(), failIfExists));
  }

  uint32_t copySecurity(const std::wstring& from, const std::wstring& to) override {
    return copyOwnerAndAccessList(from, to);
  }

  uint32_t setPermissions(const std::wstring& path, const FilePermissions& permissions) override {
    return applyFilePermissions(path, permissions);
  }

  uint32_t listDirectory(const std::wstring& path, std::vector<DirectoryEntry>& entries) override {
    entries.clear();
    if (path.empty()) return ERROR_PATH_NOT_FOUND;
    WIN32_FIND_DATAW found{};
    UniqueFindHandle search(FindFirstFileW(allEntriesPattern(path).c_str(), &found));
    if (!search) {
      const DWORD error = GetLastError();
      DWORD raw = 0;
      const uint32_t lookup = attributesOf(path, raw);
      // Systems differ in what a search inside a file answers.
      if (lookup == ERROR_SUCCESS && (raw & FILE_ATTRIBUTE_DIRECTORY) == 0) return ERROR_DIRECTORY;
      // The root of a volume has no "." entry: an empty one finds nothing.
      if (error == ERROR_FILE_NOT_FOUND) return lookup == ERROR_SUCCESS ? ERROR_SUCCESS : ERROR_PATH_NOT_FOUND;
      return error;
    }
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const bool directory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      entries.push_back({name, directory && !isDirectoryLink(found.dwFileAttributes)});
    } while (FindNextFileW(search.get(), &found));
    const DWORD error = GetLastError();
    return error == ERROR_NO_MORE_FILES ? ERROR_SUCCESS : error;
  }

  uint32_t volumeRoot(const std::wstring& path, std::wstring& root) override {
    root.clear();
    std::wstring buffer(std::max<size_t>(path.size() + 2, MAX_PATH), L'\0');
    if (!GetVolumePathNameW(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()))) return GetLastError();
    buffer.resize(wcslen(buffer.c_str()));
    root = withoutLongPathPrefix(buffer);
    return ERROR_SUCCESS;
  }
};

}  // namespace

FileSystem& systemFileSystem() {
  static Win32FileSystem fileSystem;
  return fileSystem;
}

}  // namespace wc
