// Symbolic links and junctions on Windows. The system itself names the final
// target of a chain whose end exists; a chain that ends at a missing name is
// followed link by link from the links' reparse data.

#include "base/files/symbolic_link.h"

#include <windows.h>
// The I/O control codes need the Windows types first.
#include <winioctl.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "base/errors/win_error_codes.h"
#include "base/files/long_path_win32.h"
#include "base/system/unique_handle_win32.h"

namespace wc {

namespace {

// As many links as the system follows in one lookup.
constexpr int kMaxLinks = 63;

// The head of the reparse data of a symbolic link or a junction (the
// layout of REPARSE_DATA_BUFFER; a junction has no Flags field).
struct ReparseHead {
  DWORD tag;
  WORD dataLength;
  WORD reserved;
  WORD substituteNameOffset;
  WORD substituteNameLength;
  WORD printNameOffset;
  WORD printNameLength;
};
constexpr size_t kSymbolicLinkPathStart = sizeof(ReparseHead) + sizeof(ULONG);
constexpr size_t kJunctionPathStart = sizeof(ReparseHead);

bool isReparsePoint(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(longPathForm(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

std::wstring directoryOf(const std::wstring& path) {
  const size_t separator = path.find_last_of(L"\\/");
  return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);
}

// "\??\C:\x" -> "C:\x", "\??\UNC\server\x" -> "\\server\x".
std::wstring fromNtName(const std::wstring& name) {
  if (name.starts_with(L"\\??\\UNC\\")) return L"\\\\" + name.substr(8);
  if (name.starts_with(L"\\??\\")) return name.substr(4);
  return name;
}

// The target that one link names; ERROR_NOT_A_REPARSE_POINT for an entry
// that is no symbolic link or junction.
uint32_t readLinkTarget(const std::wstring& link, std::wstring& target) {
  UniqueFileHandle handle(CreateFileW(longPathForm(link).c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) return GetLastError();
  std::vector<unsigned char> data(MAXIMUM_REPARSE_DATA_BUFFER_SIZE);
  DWORD size = 0;
  if (!DeviceIoControl(handle.get(), FSCTL_GET_REPARSE_POINT, nullptr, 0, data.data(), static_cast<DWORD>(data.size()),
                       &size, nullptr)) {
    return GetLastError();
  }
  ReparseHead head{};
  if (size < sizeof head) return ERROR_NOT_A_REPARSE_POINT;
  std::memcpy(&head, data.data(), sizeof head);
  size_t pathStart = 0;
  bool relative = false;
  if (head.tag == IO_REPARSE_TAG_SYMLINK) {
    ULONG flags = 0;
    std::memcpy(&flags, data.data() + sizeof head, sizeof flags);
    pathStart = kSymbolicLinkPathStart;
    relative = (flags & SYMLINK_FLAG_RELATIVE) != 0;
  } else if (head.tag == IO_REPARSE_TAG_MOUNT_POINT) {
    pathStart = kJunctionPathStart;
  } else {
    return ERROR_NOT_A_REPARSE_POINT;
  }
  const size_t nameStart = pathStart + head.substituteNameOffset;
  if (nameStart + head.substituteNameLength > size) return ERROR_INVALID_DATA;
  std::wstring name(head.substituteNameLength / sizeof(wchar_t), L'\0');
  std::memcpy(name.data(), data.data() + nameStart, name.size() * sizeof(wchar_t));
  target = relative ? directoryOf(link) + name : fromNtName(name);
  return ERROR_SUCCESS;
}

// The final path of an existing chain, as the system resolves it.
uint32_t finalPathOf(const std::wstring& path, std::wstring& target) {
  UniqueFileHandle handle(CreateFileW(longPathForm(path).c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) return GetLastError();
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetFinalPathNameByHandleW(handle.get(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return GetLastError();
    if (length < buffer.size()) {
      buffer.resize(length);
      target = withoutLongPathPrefix(buffer);
      return ERROR_SUCCESS;
    }
    buffer.assign(length, L'\0');
  }
}

// Link by link, for a chain whose last target does not exist (yet).
uint32_t followChain(const std::wstring& path, std::wstring& target) {
  std::wstring current = path;
  for (int links = 0; isReparsePoint(current); ++links) {
    if (links == kMaxLinks) return ERROR_CANT_RESOLVE_FILENAME;
    std::wstring next;
    const uint32_t error = readLinkTarget(current, next);
    if (error == ERROR_NOT_A_REPARSE_POINT) break;
    if (error != ERROR_SUCCESS) return error;
    current = next;
  }
  target = current;
  return ERROR_SUCCESS;
}

}  // namespace

uint32_t resolveSymbolicLinks(const std::wstring& path, std::wstring& target) {
  target = path;
  if (path.empty() || !isReparsePoint(path)) return ERROR_SUCCESS;
  std::wstring resolved;
  uint32_t error = finalPathOf(path, resolved);
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) error = followChain(path, resolved);
  if (error == ERROR_CANT_RESOLVE_FILENAME) return error;
  // Any other trouble is the caller's next step to report.
  if (error == ERROR_SUCCESS) target = resolved;
  return ERROR_SUCCESS;
}

}  // namespace wc
