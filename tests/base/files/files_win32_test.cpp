// What only Windows' security descriptors show.

#include <windows.h>
// The security headers need the Windows types first.
#include <aclapi.h>
#include <gtest/gtest.h>
#include <sddl.h>

#include "base/files/rename.h"
#include "files_test_support.h"
#include "support/under_wine.h"

namespace wc {

using namespace files_test;

namespace {

// The access list of a path in SDDL, "" when it cannot be read.
std::wstring accessListOf(const std::wstring& path) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, nullptr,
                            &descriptor) != ERROR_SUCCESS) {
    return L"";
  }
  wchar_t* text = nullptr;
  std::wstring result;
  if (ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                           &text, nullptr)) {
    result = text;
    LocalFree(text);
  }
  LocalFree(descriptor);
  return result;
}

// A directory moved to another volume is rebuilt there piece by piece, and
// the new directory carries the security descriptor of the old one. (Which
// entries it inherits from its new parent, and its audit list copied with
// the real privileges, only Windows shows.)
TEST(RenameDirWin32, APieceByPieceMoveGivesTheTargetTheSourcesAccessList) {
  // Wine maps /dev/shm, a file system of its own, as Z:\dev\shm.
  const std::string shm = "Z:/dev/shm";
  if (!pathExists(shm)) GTEST_SKIP() << "no second volume at " << shm;
  TempDir target;
  const std::wstring from = native(shm + "/wc-rename-" + std::to_string(GetCurrentProcessId()));
  const std::wstring to = native(target / "moved");
  ASSERT_TRUE(CreateDirectoryW(from.c_str(), nullptr));
  writeFile(shm + "/wc-rename-" + std::to_string(GetCurrentProcessId()) + "/a.txt", "a");
  const wchar_t* sddl = L"D:P(A;OICI;FA;;;WD)(A;OICI;FR;;;BU)";
  PSECURITY_DESCRIPTOR wanted = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &wanted, nullptr));
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL list = nullptr;
  ASSERT_TRUE(GetSecurityDescriptorDacl(wanted, &present, &list, &defaulted));
  std::wstring name = from;
  ASSERT_EQ(SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT,
                                  DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                  list, nullptr),
            static_cast<DWORD>(ERROR_SUCCESS));
  LocalFree(wanted);
  const std::wstring before = accessListOf(from);
  ASSERT_NE(before, L"");

  // The system's move refuses to cross volumes: the move goes piece by piece.
  const std::wstring probe = from + L"-probe";
  ASSERT_TRUE(CreateDirectoryW(probe.c_str(), nullptr));
  const bool crossesVolumes = !MoveFileExW(probe.c_str(), (to + L"-probe").c_str(), 0);
  RemoveDirectoryW(probe.c_str());
  RemoveDirectoryW((to + L"-probe").c_str());
  if (!crossesVolumes) GTEST_SKIP() << "the system moves directories from " << shm << " itself";

  renameDir(context, from, to, false);
  EXPECT_EQ(accessListOf(to), before);
  EXPECT_EQ(readFile(target / "moved/a.txt"), "a");
  EXPECT_EQ(GetFileAttributesW(from.c_str()), INVALID_FILE_ATTRIBUTES);
  // What is left of the source went through the recycler of its volume.
  const std::wstring recycler = native(shm + "/Recycler");
  RemoveDirectoryW((recycler + L"\\{86066D57-9347-46a7-B4DB-971D9EF36D29}").c_str());
  RemoveDirectoryW(recycler.c_str());
}

}  // namespace

}  // namespace wc
