// The file's identity from its handle: opened for its attributes only, which
// no other opener's sharing mode refuses; directories need backup semantics.

#include "base/files/same_file.h"

#include <windows.h>

#include "base/errors/win_error_codes.h"
#include "base/files/handle_identity_win32.h"
#include "base/files/long_path_win32.h"
#include "base/system/unique_handle_win32.h"

namespace wc {

uint32_t readFileIdentity(const std::wstring& path, FileIdentity& identity) {
  // The call would take the name up to the NUL for the whole path.
  if (path.find(L'\0') != std::wstring::npos) return ERROR_INVALID_NAME;
  UniqueFileHandle handle(CreateFileW(longPathForm(path).c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) return GetLastError();
  return readHandleIdentity(handle.get(), identity);
}

uint32_t readHandleIdentity(HANDLE handle, FileIdentity& identity) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info)) return GetLastError();
  identity = {info.dwVolumeSerialNumber, (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
              (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow};
  return ERROR_SUCCESS;
}

}  // namespace wc
