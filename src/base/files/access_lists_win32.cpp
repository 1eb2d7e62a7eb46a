#include "base/files/access_lists_win32.h"

#include <windows.h>
// The security headers need the Windows types first.
#include <aclapi.h>
#include <sddl.h>

#include <initializer_list>
#include <vector>

#include "base/errors/win_error_codes.h"
#include "base/files/long_path_win32.h"

namespace wc {

namespace {

// Full access for the system, the administrators and the entry's owner.
constexpr const wchar_t* kOwnerAndAdministrators = L"(A;%s;FA;;;SY)(A;%s;FA;;;BA)(A;%s;FA;;;OW)";

std::wstring ownerAndAdministratorsEntries(const wchar_t* inheritance) {
  std::wstring entries = kOwnerAndAdministrators;
  for (size_t at = entries.find(L"%s"); at != std::wstring::npos; at = entries.find(L"%s", at)) {
    entries.replace(at, 2, inheritance);
  }
  return entries;
}

uint32_t descriptorFromText(const std::wstring& text, UniqueLocalMemory& descriptor) {
  PSECURITY_DESCRIPTOR raw = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(text.c_str(), SDDL_REVISION_1, &raw, nullptr)) {
    return GetLastError();
  }
  descriptor.reset(raw);
  return ERROR_SUCCESS;
}

uint32_t setAccessList(const std::wstring& path, SECURITY_INFORMATION what, PACL accessList) {
  std::wstring name = longPathForm(path);
  return SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT, what, nullptr, nullptr, accessList, nullptr);
}

uint32_t applyDescriptorText(const std::wstring& path, const std::wstring& text) {
  UniqueLocalMemory descriptor;
  if (uint32_t error = descriptorFromText(text, descriptor)) return error;
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL accessList = nullptr;
  if (!GetSecurityDescriptorDacl(descriptor.get(), &present, &accessList, &defaulted)) return GetLastError();
  return setAccessList(path, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, accessList);
}

bool isProtected(PSECURITY_DESCRIPTOR descriptor) {
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  return GetSecurityDescriptorControl(descriptor, &control, &revision) && (control & SE_DACL_PROTECTED) != 0;
}

// Enables privileges of the process token for its lifetime; those that
// were off before are switched off again at its end.
class PrivilegeScope {
 public:
  explicit PrivilegeScope(std::initializer_list<const wchar_t*> names) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return;
    token_.reset(token);
    for (const wchar_t* name : names) {
      TOKEN_PRIVILEGES wanted{1, {{{0, 0}, SE_PRIVILEGE_ENABLED}}};
      if (!LookupPrivilegeValueW(nullptr, name, &wanted.Privileges[0].Luid)) continue;
      TOKEN_PRIVILEGES previous{};
      DWORD size = sizeof previous;
      // Succeeds with ERROR_NOT_ALL_ASSIGNED for a privilege the token lacks.
      if (AdjustTokenPrivileges(token, FALSE, &wanted, sizeof previous, &previous, &size) &&
          GetLastError() == ERROR_SUCCESS && previous.PrivilegeCount == 1) {
        switchedOn_.push_back(previous);
      }
    }
  }
  ~PrivilegeScope() {
    for (TOKEN_PRIVILEGES& previous : switchedOn_) {
      AdjustTokenPrivileges(token_.get(), FALSE, &previous, 0, nullptr, nullptr);
    }
  }
  PrivilegeScope(const PrivilegeScope&) = delete;
  PrivilegeScope& operator=(const PrivilegeScope&) = delete;

 private:
  UniqueKernelHandle token_;
  std::vector<TOKEN_PRIVILEGES> switchedOn_;  // their states before
};

}  // namespace

uint32_t createDirectoryWithSecurityOf(const std::wstring& path, const std::wstring& model) {
  const PrivilegeScope privileges({SE_RESTORE_NAME, SE_SECURITY_NAME});
  const std::wstring source = longPathForm(model);
  const std::wstring target = longPathForm(path);
  constexpr SECURITY_INFORMATION kWithoutAudit =
      OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  PSECURITY_DESCRIPTOR raw = nullptr;
  DWORD error = GetNamedSecurityInfoW(source.c_str(), SE_FILE_OBJECT, kWithoutAudit | SACL_SECURITY_INFORMATION,
                                      nullptr, nullptr, nullptr, nullptr, &raw);
  // The audit list needs the security privilege, which the caller may not
  // hold (Wine grants it on paper only): the directory is still created with
  // the owner, group and access list, which is what its users see.
  if (error == ERROR_PRIVILEGE_NOT_HELD || error == ERROR_ACCESS_DENIED) {
    error =
        GetNamedSecurityInfoW(source.c_str(), SE_FILE_OBJECT, kWithoutAudit, nullptr, nullptr, nullptr, nullptr, &raw);
  }
  if (error != ERROR_SUCCESS) return error;
  UniqueLocalMemory descriptor(raw);
  SECURITY_ATTRIBUTES security{sizeof security, raw, FALSE};
  if (!CreateDirectoryW(target.c_str(), &security)) {
    error = GetLastError();
    // Only the restore privilege lets the caller hand a new directory to
    // another owner or set a foreign audit list.
    if (error != ERROR_INVALID_OWNER && error != ERROR_PRIVILEGE_NOT_HELD) return error;
    if (!CreateDirectoryW(target.c_str(), nullptr)) return GetLastError();
  }
  // The owner and access list once more: Wine makes a new directory's Unix
  // mode from the descriptor and the process umask takes from it what others
  // may do; on Windows this sets what the directory already has.
  error = copyOwnerAndAccessList(model, path);
  if (error != ERROR_SUCCESS) RemoveDirectoryW(target.c_str());
  return error;
}

uint32_t directorySecurityDescriptor(const DirectoryAccess& access, UniqueLocalMemory& descriptor) {
  std::wstring text = L"D:P" + ownerAndAdministratorsEntries(L"OICI");
  if ((access.mode & 05) != 0) text += L"(A;OICI;GRGX;;;BU)";  // what "others" may do: read and list
  return descriptorFromText(text, descriptor);
}

uint32_t applyFilePermissions(const std::wstring& path, const FilePermissions& permissions) {
  if (!permissions.groupOf.empty()) return copyOwnerAndAccessList(permissions.groupOf, path);
  if ((permissions.mode & 044) != 0) {
    // No entries of its own and not protected: the file has what its
    // directory hands down.
    ACL empty{};
    if (!InitializeAcl(&empty, sizeof empty, ACL_REVISION)) return GetLastError();
    return setAccessList(path, DACL_SECURITY_INFORMATION | UNPROTECTED_DACL_SECURITY_INFORMATION, &empty);
  }
  return applyDescriptorText(path, L"D:P" + ownerAndAdministratorsEntries(L""));
}

uint32_t copyOwnerAndAccessList(const std::wstring& from, const std::wstring& to) {
  PSID owner = nullptr;
  PACL accessList = nullptr;
  PSECURITY_DESCRIPTOR raw = nullptr;
  std::wstring source = longPathForm(from);
  const DWORD error =
      GetNamedSecurityInfoW(source.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                            &owner, nullptr, &accessList, nullptr, &raw);
  if (error != ERROR_SUCCESS) return error;
  UniqueLocalMemory descriptor(raw);
  const SECURITY_INFORMATION inheritance =
      isProtected(raw) ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION;
  std::wstring target = longPathForm(to);
  DWORD result = SetNamedSecurityInfoW(target.data(), SE_FILE_OBJECT,
                                       OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | inheritance, owner,
                                       nullptr, accessList, nullptr);
  // Only a caller with the restore privilege may hand a file to another
  // owner; the access list is what matters, and the caller stays owner.
  if (result == ERROR_INVALID_OWNER || result == ERROR_ACCESS_DENIED || result == ERROR_PRIVILEGE_NOT_HELD) {
    result = setAccessList(to, DACL_SECURITY_INFORMATION | inheritance, accessList);
  }
  return result;
}

uint32_t grantCallerDeleteAccess(const std::wstring& path) {
  PACL current = nullptr;
  PSECURITY_DESCRIPTOR raw = nullptr;
  std::wstring name = longPathForm(path);
  DWORD error = GetNamedSecurityInfoW(name.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                      &current, nullptr, &raw);
  if (error != ERROR_SUCCESS) return error;
  UniqueLocalMemory descriptor(raw);
  EXPLICIT_ACCESSW entry{};
  wchar_t caller[] = L"CURRENT_USER";
  BuildExplicitAccessWithNameW(&entry, caller, DELETE | FILE_WRITE_ATTRIBUTES | FILE_READ_ATTRIBUTES, GRANT_ACCESS,
                               NO_INHERITANCE);
  PACL updated = nullptr;
  error = SetEntriesInAclW(1, &entry, current, &updated);
  if (error != ERROR_SUCCESS) return error;
  UniqueLocalMemory updatedMemory(updated);
  return setAccessList(path, DACL_SECURITY_INFORMATION, updated);
}

}  // namespace wc
