#include "base/files/same_file.h"

#include "base/errors/os_error.h"
#include "base/errors/win_error_codes.h"

namespace wc {

std::optional<FileIdentity> fileIdentity(const std::wstring& path) {
  FileIdentity identity;
  const uint32_t error = readFileIdentity(path, identity);
  if (error == ERROR_SUCCESS) return identity;
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::nullopt;
  throwOsError(path, error, VCALLPOINT(L"", "fileIdentity"));
}

bool sameFile(const std::wstring& first, const std::wstring& second) {
  const std::optional<FileIdentity> a = fileIdentity(first);
  if (!a) return false;
  const std::optional<FileIdentity> b = fileIdentity(second);
  return b && a->isSameFileAs(*b);
}

}  // namespace wc
