#include "base/files/atomic_write.h"

#include <gtest/gtest.h>

#include "base/errors/os_error.h"
#include "files_test_support.h"

namespace wc {

using namespace files_test;

namespace {

TEST(ReplaceFileAtomically, ReplacesTheContentThroughAPrivateTemporaryThatNeverShows) {
  TempDir dir;
  const std::string name = dir / "realm.xml";
  FaultyFileSystem fs;
  const Context context = testContext(fs);
  replaceFileAtomically(context, w(name), std::string("a\0b", 3));
  EXPECT_EQ(readFile(name), std::string("a\0b", 3));
  const FilePermissions ownerAndGroup{0640, w(dir.path())};
  replaceFileAtomically(context, w(name), "password", &ownerAndGroup);
  EXPECT_EQ(readFile(name), "password");
  // Nobody but the owner may read the temporary file before its own
  // permissions are in place; an existing file passes its own on.
  EXPECT_EQ(fs.permissionModes, (std::vector<uint32_t>{0600, 0644, 0600, 0640}));
  replaceFileAtomically(context, w(name), "new");
  EXPECT_EQ(fs.count(FsCall::CopySecurity, L"realm.xml"), 1);
  EXPECT_EQ(readFile(name), "new");
  EXPECT_EQ(treeOf(dir.path()), std::vector<std::string>{"realm.xml"});
  EXPECT_THROW(replaceFileAtomically(context, w(dir / "none/file"), "x"), VPathNotFoundException);
}

TEST(ReplaceFileAtomically, FailedWriteOrRenameLeavesTheOldFile) {
  TempDir dir;
  const std::string name = dir / "server.xml";
  writeFile(name, "old");
  FaultyFileSystem fs;
  const Context context = testContext(fs);
  fs.failWhen(FsCall::WriteFile, L".tmp", ERROR_DISK_FULL, 0, 1);
  const auto e =
      failureHolding<vosexception>([&] { replaceFileAtomically(context, w(name), "new content that does not fit"); },
                                   L"at Write to file '" + w(name) + L"'", "replaceFileAtomically");
  EXPECT_EQ(e.code(), ERROR_DISK_FULL);
  EXPECT_EQ(readFile(name), "old");
  EXPECT_EQ(treeOf(dir.path()).size(), 1u);  // the half-written temporary file is gone

  fs.failWhen(FsCall::MoveFile, L".tmp", ERROR_SHARING_VIOLATION);
  EXPECT_THROW(replaceFileAtomically(context, w(name), "new"), VSharingViolationException);
  EXPECT_EQ(readFile(name), "old");
  EXPECT_EQ(treeOf(dir.path()).size(), 1u);
}

TEST(ReplaceFileAtomically, ATemporaryFileLeftBehindNamesTheFileItWasFor) {
  TempDir dir;
  const std::string name = dir / "server.xml";
  writeFile(name, "old");
  {
    // As a run killed before its rename leaves it: the cleanup fails too.
    FaultyFileSystem fs;
    const Context context = testContext(fs);
    fs.failWhen(FsCall::MoveFile, L".tmp", ERROR_SHARING_VIOLATION);
    fs.failWhen(FsCall::DeleteFile, L".tmp", ERROR_SHARING_VIOLATION);
    EXPECT_THROW(replaceFileAtomically(context, w(name), "new"), VSharingViolationException);
  }
  std::vector<std::string> names = treeOf(dir.path());
  ASSERT_EQ(names.size(), 2u);
  const std::wstring left = w(names[0] == "server.xml" ? names[1] : names[0]);
  EXPECT_EQ(replacedFileOfTemporary(left), L"server.xml");

  EXPECT_EQ(replacedFileOfTemporary(L"a.test.xml.~4711.12.tmp"), L"a.test.xml");
  EXPECT_EQ(replacedFileOfTemporary(L"x.~0.0.tmp"), L"x");
  for (const wchar_t* other :
       {L"server.xml", L"server.xml.tmp", L"server.xml.~1.tmp", L"server.xml.~.1.tmp", L"server.xml.~1..tmp",
        L"server.xml.~1a.2.tmp", L"server.xml.1.2.tmp", L".~1.2.tmp", L"server.xml.~1.2.tmp.bak"}) {
    EXPECT_FALSE(replacedFileOfTemporary(other)) << other;
  }
}

}  // namespace

}  // namespace wc
