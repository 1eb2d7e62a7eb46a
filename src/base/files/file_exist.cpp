#include "base/files/file_exist.h"

#include "base/errors/os_error.h"
#include "base/files/file_system.h"

namespace wc {

namespace {

bool exists(const std::wstring& path, FileAttributes& attributes, const char* function) {
  uint32_t error = FileSystem::current().getAttributes(path, attributes);
  if (error == ERROR_SUCCESS) return true;
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return false;
  throwOsError(path, error, VCALLPOINT(L"", function));
}

}  // namespace

bool fileExist(const std::wstring& path, bool* isDirectory) {
  FileAttributes attributes;
  bool found = exists(path, attributes, "fileExist");
  if (isDirectory) *isDirectory = found && attributes.directory;
  return found;
}

bool directoryExist(const std::wstring& path, bool* isFile) {
  FileAttributes attributes;
  bool found = !path.empty() && exists(path, attributes, "directoryExist");
  if (isFile) *isFile = found && !attributes.directory;
  return found;
}

}  // namespace wc
