#include "base/files/whole_file.h"

#include "base/errors/os_error.h"
#include "base/files/file_system.h"

namespace wc {

std::string readWholeFile(const Context& context, const std::wstring& path) {
  std::string content;
  if (uint32_t error = context.files->readFile(path, content)) {
    throwOsError(L"Read file '" + path + L"'", error, VCALLPOINT(L"", "readWholeFile"));
  }
  return content;
}

bool writeWholeFile(const Context& context, const std::wstring& path, std::string_view content, bool overwrite) {
  // Creating only when new answers "exists" without a window for a race.
  const FileDisposition disposition = overwrite ? FileDisposition::CreateAlways : FileDisposition::CreateNew;
  const uint32_t error = context.files->writeFile(path, content, disposition, false);
  if (error == ERROR_FILE_EXISTS && !overwrite) return false;
  if (error != ERROR_SUCCESS) throwOsError(L"Write file '" + path + L"'", error, VCALLPOINT(L"", "writeWholeFile"));
  return true;
}

}  // namespace wc
