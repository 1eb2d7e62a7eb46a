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

// A holder without delete sharing makes Windows refuse the replacement: a write
// into the held file that fails halfway (a full disk) must not cut it short.
TEST(ReplaceFileAtomically, AWriteInPlaceThatFailsPutsTheOldBytesBackOrKeepsThemBeside) {
  TempDir dir;
  const std::string name = dir / "map.properties";
  writeFile(name, "old lines");
  FaultyFileSystem fs;
  RecordingClock clock;
  const Context context = testContext(fs, clock);
  auto writeInPlace = [&](int failedWrites) {
    FileReplacement replacement(context, w(name));
    EXPECT_EQ(fs.writeFile(replacement.temporary(), "more new lines", FileDisposition::CreateAlways, true), 0u);
    fs.failWhen(FsCall::MoveFile, L".tmp", ERROR_SHARING_VIOLATION, 0, 10);
    // The copy of the old bytes is made (empty, then filled) before the file is written.
    fs.failWhen(FsCall::WriteFile, L"map.properties", ERROR_DISK_FULL, 2, failedWrites);
    return failureHolding<vosexception>(
        [&] { replacement.putInPlace(nullptr, FileReplacement::Placing::ReplaceOrWriteInPlace); },
        L"at Write to file '" + w(name) + L"'", "replaceFileAtomically");
  };
  EXPECT_EQ(writeInPlace(1).code(), ERROR_DISK_FULL);
  EXPECT_EQ(readFile(name), "old lines");
  EXPECT_EQ(treeOf(dir.path()), std::vector<std::string>{"map.properties"});
  // The copy cannot get the file's access: the file is not touched.
  fs.failWhen(FsCall::CopySecurity, L"map.properties", ERROR_ACCESS_DENIED, 1, 1);
  EXPECT_EQ(writeInPlace(0).code(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(readFile(name), "old lines");

  // Putting them back fails as well: the copy stays and the message names it.
  const vosexception e = writeInPlace(2);
  const std::vector<std::string> names = treeOf(dir.path());  // sorted: the copy's name is the longer
  ASSERT_EQ(names.size(), 2u);
  const std::string& copy = names[1];
  EXPECT_EQ(readFile(dir / copy), "old lines");
  EXPECT_TRUE(holds(e.message(), L"its old contents are in '" + w(dir / copy) + L"'"));
  EXPECT_EQ(replacedFileOfTemporary(w(copy)), L"map.properties");  // the check reports it as left behind
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
