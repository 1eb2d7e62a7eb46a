#include "base/files/atomic_write.h"

#include <gtest/gtest.h>

#include "base/errors/os_error.h"
#include "files_test_support.h"

using namespace files_test;

namespace {

TEST(ReplaceFileAtomically, ReplacesTheContentThroughAPrivateTemporaryThatNeverShows) {
  TempDir dir;
  const std::string name = dir / "realm.xml";
  FaultyFileSystem fs;
  replaceFileAtomically(w(name), std::string("a\0b", 3));
  EXPECT_EQ(readFile(name), std::string("a\0b", 3));
  const FilePermissions ownerAndGroup{0640, w(dir.path())};
  replaceFileAtomically(w(name), "password", &ownerAndGroup);
  EXPECT_EQ(readFile(name), "password");
  // Nobody but the owner may read the temporary file before its own
  // permissions are in place; an existing file passes its own on.
  EXPECT_EQ(fs.permissionModes, (std::vector<uint32_t>{0600, 0644, 0600, 0640}));
  replaceFileAtomically(w(name), "new");
  EXPECT_EQ(fs.count(FsCall::CopySecurity, L"realm.xml"), 1);
  EXPECT_EQ(readFile(name), "new");
  EXPECT_EQ(treeOf(dir.path()), std::vector<std::string>{"realm.xml"});
  EXPECT_THROW(replaceFileAtomically(w(dir / "none/file"), "x"), VPathNotFoundException);
}

TEST(ReplaceFileAtomically, FailedWriteOrRenameLeavesTheOldFile) {
  TempDir dir;
  const std::string name = dir / "server.xml";
  writeFile(name, "old");
  FaultyFileSystem fs;
  fs.failWhen(FsCall::WriteFile, L".tmp", ERROR_DISK_FULL, 0, 1);
  const auto e = failureHolding<vosexception>([&] { replaceFileAtomically(w(name), "new content that does not fit"); },
                                              L"at Write to file '" + w(name) + L"'", "replaceFileAtomically");
  EXPECT_EQ(e.code(), ERROR_DISK_FULL);
  EXPECT_EQ(readFile(name), "old");
  EXPECT_EQ(treeOf(dir.path()).size(), 1u);  // the half-written temporary file is gone

  fs.failWhen(FsCall::MoveFile, L".tmp", ERROR_SHARING_VIOLATION);
  EXPECT_THROW(replaceFileAtomically(w(name), "new"), VSharingViolationException);
  EXPECT_EQ(readFile(name), "old");
  EXPECT_EQ(treeOf(dir.path()).size(), 1u);
}

}  // namespace
