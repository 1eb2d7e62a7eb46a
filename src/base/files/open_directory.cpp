#include "base/files/open_directory.h"

#include "base/errors/os_error.h"
#include "base/errors/win_error_codes.h"
#include "base/files/file_name.h"

namespace wc {

std::wstring OpenDirectory::pathOf(const std::wstring& relative) const { return VFileName::combine(path_, relative); }

std::optional<FileIdentity> fileIdentity(const OpenDirectory& directory, const std::wstring& relative) {
  FileIdentity identity;
  const uint32_t error = directory.readFileIdentity(relative, identity);
  if (error == ERROR_SUCCESS) return identity;
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::nullopt;
  throwOsError(directory.pathOf(relative), error, VCALLPOINT(L"", "fileIdentity"));
}

}  // namespace wc
