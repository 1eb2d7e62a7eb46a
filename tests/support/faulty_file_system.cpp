#include "support/faulty_file_system.h"

namespace wc {

FaultyFileSystem::FaultyFileSystem() : real_(systemFileSystem()) {}

void FaultyFileSystem::failWhen(FsCall call, std::wstring pathPart, uint32_t code, int skip, int times) {
  faults_.push_back({call, std::move(pathPart), code, skip, times});
}

int FaultyFileSystem::count(FsCall call, const std::wstring& pathPart) const {
  int n = 0;
  for (const auto& [kind, path] : calls_) {
    if (kind == call && path.find(pathPart) != std::wstring::npos) ++n;
  }
  return n;
}

uint32_t FaultyFileSystem::fault(FsCall call, const std::wstring& path) {
  calls_.emplace_back(call, path);
  for (Fault& f : faults_) {
    if (f.call != call || path.find(f.pathPart) == std::wstring::npos || f.times == 0) continue;
    if (f.skip > 0) {
      --f.skip;
      continue;
    }
    if (f.times > 0) --f.times;
    return f.code;
  }
  return 0;
}

uint32_t FaultyFileSystem::getAttributes(const std::wstring& path, FileAttributes& attributes) {
  return passOn(FsCall::GetAttributes, path, [&] { return real_.getAttributes(path, attributes); });
}
uint32_t FaultyFileSystem::setReadOnly(const std::wstring& path, bool readOnly) {
  return passOn(FsCall::SetReadOnly, path, [&] { return real_.setReadOnly(path, readOnly); });
}
uint32_t FaultyFileSystem::grantDeleteAccess(const std::wstring& path) {
  return passOn(FsCall::GrantDeleteAccess, path, [&] { return real_.grantDeleteAccess(path); });
}
uint32_t FaultyFileSystem::deleteFile(const std::wstring& path) {
  return passOn(FsCall::DeleteFile, path, [&] { return real_.deleteFile(path); });
}
uint32_t FaultyFileSystem::removeDirectory(const std::wstring& path) {
  return passOn(FsCall::RemoveDirectory, path, [&] { return real_.removeDirectory(path); });
}
uint32_t FaultyFileSystem::moveFile(const std::wstring& from, const std::wstring& to, uint32_t flags) {
  return passOn(FsCall::MoveFile, from, [&] { return real_.moveFile(from, to, flags); });
}
uint32_t FaultyFileSystem::createDirectory(const std::wstring& path, const DirectoryAccess* access) {
  return passOn(FsCall::CreateDirectory, path, [&] { return real_.createDirectory(path, access); });
}
uint32_t FaultyFileSystem::createHardLink(const std::wstring& newPath, const std::wstring& existing) {
  return passOn(FsCall::CreateHardLink, newPath, [&] { return real_.createHardLink(newPath, existing); });
}
uint32_t FaultyFileSystem::copyFile(const std::wstring& from, const std::wstring& to, bool failIfExists) {
  return passOn(FsCall::CopyFile, from, [&] { return real_.copyFile(from, to, failIfExists); });
}
uint32_t FaultyFileSystem::copySecurity(const std::wstring& from, const std::wstring& to) {
  return passOn(FsCall::CopySecurity, from, [&] { return real_.copySecurity(from, to); });
}
uint32_t FaultyFileSystem::setPermissions(const std::wstring& path, const FilePermissions& permissions) {
  permissionModes.push_back(permissions.mode);
  return passOn(FsCall::SetPermissions, path, [&] { return real_.setPermissions(path, permissions); });
}
uint32_t FaultyFileSystem::listDirectory(const std::wstring& path, std::vector<DirectoryEntry>& entries) {
  return passOn(FsCall::ListDirectory, path, [&] { return real_.listDirectory(path, entries); });
}
uint32_t FaultyFileSystem::readFile(const std::wstring& path, std::string& content) {
  return passOn(FsCall::ReadFile, path, [&] { return real_.readFile(path, content); });
}
uint32_t FaultyFileSystem::writeFile(const std::wstring& path, std::string_view content, FileDisposition disposition,
                                     bool durable) {
  if (uint32_t code = fault(FsCall::WriteFile, path)) {
    real_.writeFile(path, content.substr(0, content.size() / 2), disposition, false);
    return code;
  }
  return real_.writeFile(path, content, disposition, durable);
}
uint32_t FaultyFileSystem::writeFileFrom(const std::wstring& to, const std::wstring& from) {
  std::string content;
  if (uint32_t error = real_.readFile(from, content)) return error;
  return writeFile(to, content, FileDisposition::CreateAlways, true);
}
uint32_t FaultyFileSystem::volumeRoot(const std::wstring& path, std::wstring& root) {
  return passOn(FsCall::VolumeRoot, path, [&] { return real_.volumeRoot(path, root); });
}

}  // namespace wc
