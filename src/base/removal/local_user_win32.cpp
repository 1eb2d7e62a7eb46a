// Removing a local account of this machine: the account itself (NetUserDel),
// its profile (DeleteProfileW) and its disk-quota records on the local disks
// (IDiskQuotaControl).

#include "base/removal/local_user.h"

#include <cwchar>
#include <iterator>
#include <string>
#include <vector>

#include "base/errors/os_error.h"
#include "base/removal/com_ptr_win32.h"
#include "base/system/com_apartment.h"
#include "base/system/unique_handle.h"
#include "base/text/vaformat.h"

// After the project's headers: the macros of the Windows headers carry the
// same names as the project's constants.
#include <windows.h>
// (the headers below build on windows.h)
#include <lm.h>
#include <sddl.h>
#include <userenv.h>

// The disk-quota GUIDs are in no import library: initguid.h has the header
// after it define them in this file.
#include <initguid.h>
// (after initguid.h)
#include <dskquota.h>

namespace wc {

namespace {

struct LocalTraits {
  using Handle = wchar_t*;
  static wchar_t* invalid() { return nullptr; }
  static void close(wchar_t* text) { LocalFree(text); }
};
using LocalString = UniqueHandle<LocalTraits>;

// The account's SID; empty when no such account exists.
std::vector<BYTE> accountSid(const std::wstring& name) {
  DWORD sidSize = 0, domainSize = 0;
  SID_NAME_USE use;
  LookupAccountNameW(nullptr, name.c_str(), nullptr, &sidSize, nullptr, &domainSize, &use);
  DWORD error = GetLastError();
  if (error == ERROR_NONE_MAPPED) return {};
  if (error != ERROR_INSUFFICIENT_BUFFER) {
    throwOsError(L"LookupAccountName " + name, error, VCALLPOINT(L"", "deleteLocalUser"));
  }
  std::vector<BYTE> sid(sidSize);
  std::wstring domain(domainSize, L'\0');
  if (!LookupAccountNameW(nullptr, name.c_str(), sid.data(), &sidSize, domain.data(), &domainSize, &use)) {
    throwOsError(L"LookupAccountName " + name, GetLastError(), VCALLPOINT(L"", "deleteLocalUser"));
  }
  return sid;
}

std::wstring sidText(PSID sid) {
  wchar_t* raw = nullptr;
  if (!ConvertSidToStringSidW(sid, &raw)) {
    throwOsError(L"ConvertSidToStringSid", GetLastError(), VCALLPOINT(L"", "deleteLocalUser"));
  }
  LocalString text(raw);
  return text.get();
}

// Where the profile lies, for the message when it cannot be deleted.
std::wstring profilePath(const std::wstring& sid) {
  std::wstring key = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\" + sid;
  wchar_t path[MAX_PATH] = L"";
  DWORD size = sizeof path;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"ProfileImagePath", RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ, nullptr,
                   path, &size) != ERROR_SUCCESS) {
    return L"";
  }
  return path;
}

void deleteProfile(const std::wstring& name, const std::wstring& sid, const std::wstring& profile) {
  if (DeleteProfileW(sid.c_str(), nullptr, nullptr)) return;
  DWORD error = GetLastError();
  // An account that never logged on has no profile.
  if (error == ERROR_FILE_NOT_FOUND) return;
  throw vexception(vaformat(L"Unable to delete user (%s):(%s) profile (%s): %s", name, sid, profile,
                            systemMessageText(error).value_or(L"Unknown error")),
                   VCALLPOINT(L"", "deleteLocalUser"));
}

// Removes the account's quota record from every local disk that keeps quotas.
void deleteQuotaRecords(const std::wstring& name, PSID sid) {
  ComApartment com;
  wchar_t drives[512] = L"";
  DWORD length = GetLogicalDriveStringsW(static_cast<DWORD>(std::size(drives)), drives);
  for (const wchar_t* drive = drives; length && *drive; drive += wcslen(drive) + 1) {
    if (GetDriveTypeW(drive) != DRIVE_FIXED) continue;
    IDiskQuotaControl* rawControl = nullptr;
    if (FAILED(CoCreateInstance(CLSID_DiskQuotaControl, nullptr, CLSCTX_INPROC_SERVER, IID_IDiskQuotaControl,
                                reinterpret_cast<void**>(&rawControl)))) {
      return;  // no quota support on this system
    }
    ComPtr<IDiskQuotaControl> control(rawControl);
    // A disk without quotas, or without a record for the account, has nothing to delete.
    if (FAILED(control.get()->Initialize(drive, TRUE))) continue;
    IDiskQuotaUser* rawUser = nullptr;
    if (FAILED(control.get()->FindUserSid(sid, DISKQUOTA_USERNAME_RESOLVE_NONE, &rawUser))) continue;
    ComPtr<IDiskQuotaUser> user(rawUser);
    HRESULT result = control.get()->DeleteUser(user.get());
    if (FAILED(result)) {
      throw vexception(vaformat(L"Unable to delete the disk quota record of user %s on %s: %s", name, drive,
                                systemMessageText(static_cast<uint32_t>(result)).value_or(L"Unknown error")),
                       VCALLPOINT(L"", "deleteLocalUser"));
    }
  }
}

}  // namespace

void deleteSystemLocalUser(const std::wstring& name) {
  // The SID is looked up first: it names the profile and the quota records
  // once the account is gone. An account that is gone already is done.
  std::vector<BYTE> sid = accountSid(name);
  if (sid.empty()) return;
  const std::wstring sidString = sidText(sid.data());
  const std::wstring profile = profilePath(sidString);

  NET_API_STATUS status = NetUserDel(nullptr, name.c_str());
  if (status != NERR_Success && status != NERR_UserNotFound) {
    throwOsError(L"NetUserDel " + name, status, VCALLPOINT(L"", "deleteLocalUser"));
  }
  deleteProfile(name, sidString, profile);
  deleteQuotaRecords(name, sid.data());
}

}  // namespace wc
