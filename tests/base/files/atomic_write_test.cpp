#include "base/files/atomic_write.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "base/errors/os_error.h"
#include "files_test_support.h"

using namespace files_test;

namespace {

TEST(ReplaceFileAtomically, NewFilesGetTheAskedPermissionsAndThePrivateTemporaryNeverShows) {
  TempDir dir;
  const std::string plain = dir / "plain.xml";
  replaceFileAtomically(w(plain), std::string("a\0b", 3));
  EXPECT_EQ(readFile(plain), std::string("a\0b", 3));
  EXPECT_EQ(modeOf(plain), 0644u);

  const std::string secret = dir / "realm.xml";
  writeFile(secret, "old");
  ASSERT_EQ(::chmod(secret.c_str(), 0666), 0);
  FilePermissions ownerAndGroup{0640, w(dir.path())};
  // The temporary file is made private before the content goes in, then
  // gets the asked permissions.
  FaultyFileSystem faults;
  replaceFileAtomically(w(secret), "password", &ownerAndGroup);
  EXPECT_EQ(modeOf(secret), 0640u);
  EXPECT_EQ(readFile(secret), "password");
  EXPECT_GE(faults.count(FsCall::SetPermissions, L"realm.xml"), 2);
  EXPECT_EQ(treeOf(dir.path()), (std::vector<std::string>{"plain.xml", "realm.xml"}));  // no temporary left
}

TEST(ReplaceFileAtomically, ReplacesContentAndKeepsTheMode) {
  TempDir dir;
  const std::string name = dir / "server.xml";
  writeFile(name, "old and longer content");
  ASSERT_EQ(::chmod(name.c_str(), 0640), 0);
  replaceFileAtomically(w(name), "new");
  EXPECT_EQ(readFile(name), "new");
  EXPECT_EQ(modeOf(name), 0640u);
  EXPECT_EQ(treeOf(dir.path()).size(), 1u);
  EXPECT_THROW(replaceFileAtomically(w(dir / "none/file"), "x"), VPathNotFoundException);
}

TEST(ReplaceFileAtomically, FailedWriteOrRenameLeavesTheOldFile) {
  TempDir dir;
  const std::string name = dir / "server.xml";
  writeFile(name, "old");
  FaultyFileSystem fs;
  fs.failWhen(FsCall::WriteFile, L".tmp", ERROR_DISK_FULL, 0, 1);
  const auto e = failureOf<vosexception>([&] { replaceFileAtomically(w(name), "new content that does not fit"); });
  EXPECT_EQ(e.code(), ERROR_DISK_FULL);
  EXPECT_TRUE(holds(e.message(), L"at Write to file '" + w(name) + L"'"));
  ASSERT_EQ(e.callPoints().size(), 1u);
  EXPECT_EQ(e.callPoints()[0].function, "replaceFileAtomically");
  EXPECT_EQ(readFile(name), "old");
  EXPECT_EQ(treeOf(dir.path()).size(), 1u);  // the half-written temporary file is gone

  fs.failWhen(FsCall::MoveFile, L".tmp", ERROR_SHARING_VIOLATION);
  EXPECT_THROW(replaceFileAtomically(w(name), "new"), VSharingViolationException);
  EXPECT_EQ(readFile(name), "old");
  EXPECT_EQ(treeOf(dir.path()).size(), 1u);
}

TEST(ReplaceFileAtomically, ALinkStaysALinkAndTheFileItPointsAtIsReplaced) {
  namespace fs = std::filesystem;
  TempDir dir;
  fs::create_directory(dir / "real");
  writeFile(dir / "real/server.xml", "old");
  ASSERT_EQ(::chmod((dir / "real/server.xml").c_str(), 0640), 0);
  fs::create_symlink("real/server.xml", dir / "server.xml");  // relative, and reached through a second link
  fs::create_symlink(dir / "server.xml", dir / "chain.xml");
  replaceFileAtomically(w(dir / "chain.xml"), "new");
  EXPECT_TRUE(fs::is_symlink(dir / "chain.xml") && fs::is_symlink(dir / "server.xml"));
  EXPECT_EQ(readFile(dir / "real/server.xml"), "new");
  EXPECT_EQ(modeOf(dir / "real/server.xml"), 0640u);
  EXPECT_EQ(treeOf(dir / "real").size(), 1u);  // the temporary file was beside the target
  fs::create_symlink("real/new.xml", dir / "dangling.xml");
  replaceFileAtomically(w(dir / "dangling.xml"), "created");
  EXPECT_EQ(readFile(dir / "real/new.xml"), "created");
  fs::create_symlink("loop.xml", dir / "loop.xml");
  EXPECT_THROW(replaceFileAtomically(w(dir / "loop.xml"), "x"), vosexception);
  EXPECT_TRUE(fs::is_symlink(dir / "loop.xml"));
}

}  // namespace
