#include "base/files/file_exist.h"

#include "base/errors/os_error.h"
#include "base/files/file_system.h"

namespace wc {

namespace {

bool exists(const Context& context, const std::wstring& path, FileAttributes& attributes, const char* function) {
  uint32_t error = context.files->getAttributes(path, attributes);
  if (error == ERROR_SUCCESS) return true;
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return false;
  throwOsError(path, error, VCALLPOINT(L"", function));
}

}  // namespace

bool fileExist(const Context& context, const std::wstring& path, bool* isDirectory) {
  FileAttributes attributes;
  bool found = exists(context, path, attributes, "fileExist");
  if (isDirectory) *isDirectory = found && attributes.directory;
  return found;
}

bool directoryExist(const Context& context, const std::wstring& path, bool* isFile) {
  FileAttributes attributes;
  bool found = !path.empty() && exists(context, path, attributes, "directoryExist");
  if (isFile) *isFile = found && !attributes.directory;
  return found;
}

}  // namespace wc
