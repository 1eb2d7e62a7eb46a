#pragma once
// A file system for tests: passes every call to the real one, except the
// calls it was told to fail, and records what it was asked.

#include <string>
#include <vector>

#include "base/files/file_system.h"

namespace wc {

enum class FsCall {
  GetAttributes,
  SetReadOnly,
  GrantDeleteAccess,
  DeleteFile,
  RemoveDirectory,
  MoveFile,
  CreateDirectory,
  CreateHardLink,
  CopyFile,
  CopySecurity,
  SetPermissions,
  ListDirectory,
  ReadFile,
  WriteFile,
  VolumeRoot,
};

class FaultyFileSystem : public FileSystem {
 public:
  // Passes to the system's file system.
  FaultyFileSystem();

  // Calls of kind `call` whose (first) path contains `pathPart` answer `code`
  // after `skip` matching calls have passed; `times` < 0: every time after.
  // A failed WriteFile first writes half of the content, as a full disk does.
  void failWhen(FsCall call, std::wstring pathPart, uint32_t code, int skip = 0, int times = -1);
  // How many calls of a kind were made, optionally on paths containing a part.
  int count(FsCall call, const std::wstring& pathPart = L"") const;
  // The modes that setPermissions was asked for, in order.
  std::vector<uint32_t> permissionModes;

  uint32_t getAttributes(const std::wstring& path, FileAttributes& attributes) override;
  uint32_t setReadOnly(const std::wstring& path, bool readOnly) override;
  uint32_t grantDeleteAccess(const std::wstring& path) override;
  uint32_t deleteFile(const std::wstring& path) override;
  uint32_t removeDirectory(const std::wstring& path) override;
  uint32_t moveFile(const std::wstring& from, const std::wstring& to, uint32_t flags) override;
  uint32_t createDirectory(const std::wstring& path, const DirectoryAccess* access) override;
  uint32_t createHardLink(const std::wstring& newPath, const std::wstring& existing) override;
  uint32_t copyFile(const std::wstring& from, const std::wstring& to, bool failIfExists) override;
  uint32_t copySecurity(const std::wstring& from, const std::wstring& to) override;
  uint32_t setPermissions(const std::wstring& path, const FilePermissions& permissions) override;
  uint32_t listDirectory(const std::wstring& path, std::vector<DirectoryEntry>& entries) override;
  uint32_t readFile(const std::wstring& path, std::string& content) override;
  uint32_t writeFile(const std::wstring& path, std::string_view content, FileDisposition disposition,
                     bool durable) override;
  // Faults as writeFile's, with the content of `from`.
  uint32_t writeFileFrom(const std::wstring& to, const std::wstring& from) override;
  uint32_t volumeRoot(const std::wstring& path, std::wstring& root) override;

 private:
  struct Fault {
    FsCall call;
    std::wstring pathPart;
    uint32_t code;
    int skip;
    int times;
  };
  // 0, or the code of a fault that fires for this call.
  uint32_t fault(FsCall call, const std::wstring& path);
  // The code of a fault that fires, else what the real file system answers.
  template <class Call>
  uint32_t passOn(FsCall kind, const std::wstring& path, Call&& call) {
    if (uint32_t code = fault(kind, path)) return code;
    return call();
  }

  FileSystem& real_;
  std::vector<Fault> faults_;
  std::vector<std::pair<FsCall, std::wstring>> calls_;
};

}  // namespace wc
