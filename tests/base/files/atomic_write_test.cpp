#include "base/files/atomic_write.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "base/errors/os_error.h"
#include "base/errors/strict_convert.h"
#include "support/faulty_file_system.h"
#include "support/sandbox.h"

using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

namespace {

int entryCount(const std::string& dir) {
  int n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir)) ++n;
  return n;
}

mode_t modeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0);
  return st.st_mode & 07777;
}

TEST(ReplaceFileAtomically, NewFilesGetTheAskedPermissionsAndThePrivateTemporaryNeverShows) {
  TempDir dir;
  const std::string plain = dir / "plain.xml";
  replaceFileAtomically(wstr(plain), "a");
  EXPECT_EQ(modeOf(plain), 0644u);

  const std::string secret = dir / "realm.xml";
  writeFile(secret, "old");
  ASSERT_EQ(::chmod(secret.c_str(), 0666), 0);
  FilePermissions ownerAndGroup{0640, wstr(dir.path())};
  // The temporary file is made private before the content goes in, then
  // gets the asked permissions.
  FaultyFileSystem faults;
  replaceFileAtomically(wstr(secret), "password", &ownerAndGroup);
  EXPECT_EQ(modeOf(secret), 0640u);
  EXPECT_EQ(readFile(secret), "password");
  EXPECT_GE(faults.count(FsCall::SetPermissions, L"realm.xml"), 2);
}

TEST(ReplaceFileAtomically, ReplacesContentAndKeepsTheMode) {
  TempDir dir;
  const std::string name = dir / "server.xml";
  writeFile(name, "old and longer content");
  ASSERT_EQ(::chmod(name.c_str(), 0640), 0);
  replaceFileAtomically(wstr(name), "new");
  EXPECT_EQ(readFile(name), "new");
  EXPECT_EQ(modeOf(name), 0640u);
  EXPECT_EQ(entryCount(dir.path()), 1);  // no temporary file left beside it
}

TEST(ReplaceFileAtomically, CreatesAMissingFile) {
  TempDir dir;
  const std::string name = dir / "new.reg";
  replaceFileAtomically(wstr(name), std::string("a\0b", 3));
  EXPECT_EQ(readFile(name), std::string("a\0b", 3));
  EXPECT_EQ(entryCount(dir.path()), 1);
}

TEST(ReplaceFileAtomically, FailedWriteLeavesTheOldFile) {
  TempDir dir;
  const std::string name = dir / "server.xml";
  writeFile(name, "old");
  FaultyFileSystem fs;
  fs.failWhen(FsCall::WriteFile, L".tmp", ERROR_DISK_FULL);
  try {
    replaceFileAtomically(wstr(name), "new content that does not fit");
    FAIL() << "no exception";
  } catch (const vosexception& e) {
    EXPECT_EQ(e.code(), ERROR_DISK_FULL);
    EXPECT_NE(e.message().find(L"at Write to file '" + wstr(name) + L"'"), std::wstring::npos) << e.fullText();
    ASSERT_EQ(e.callPoints().size(), 1u);
    EXPECT_EQ(e.callPoints()[0].function, "replaceFileAtomically");
  }
  EXPECT_EQ(readFile(name), "old");
  EXPECT_EQ(entryCount(dir.path()), 1);  // the half-written temporary file is gone
}

TEST(ReplaceFileAtomically, FailedRenameLeavesTheOldFile) {
  TempDir dir;
  const std::string name = dir / "server.xml";
  writeFile(name, "old");
  FaultyFileSystem fs;
  fs.failWhen(FsCall::MoveFile, L".tmp", ERROR_SHARING_VIOLATION);
  EXPECT_THROW(replaceFileAtomically(wstr(name), "new"), VSharingViolationException);
  EXPECT_EQ(readFile(name), "old");
  EXPECT_EQ(entryCount(dir.path()), 1);
}

TEST(ReplaceFileAtomically, ALinkStaysALinkAndTheFileItPointsAtIsReplaced) {
  namespace fs = std::filesystem;
  TempDir dir;
  fs::create_directory(dir / "real");
  writeFile(dir / "real/server.xml", "old");
  ASSERT_EQ(::chmod((dir / "real/server.xml").c_str(), 0640), 0);
  fs::create_symlink("real/server.xml", dir / "server.xml");  // relative, and reached through a second link
  fs::create_symlink(dir / "server.xml", dir / "chain.xml");
  replaceFileAtomically(wstr(dir / "chain.xml"), "new");
  EXPECT_TRUE(fs::is_symlink(dir / "chain.xml") && fs::is_symlink(dir / "server.xml"));
  EXPECT_EQ(readFile(dir / "real/server.xml"), "new");
  EXPECT_EQ(modeOf(dir / "real/server.xml"), 0640u);
  EXPECT_EQ(entryCount(dir / "real"), 1);  // the temporary file was beside the target
  fs::create_symlink("real/new.xml", dir / "dangling.xml");
  replaceFileAtomically(wstr(dir / "dangling.xml"), "created");
  EXPECT_EQ(readFile(dir / "real/new.xml"), "created");
  fs::create_symlink("loop.xml", dir / "loop.xml");
  EXPECT_THROW(replaceFileAtomically(wstr(dir / "loop.xml"), "x"), vosexception);
  EXPECT_TRUE(fs::is_symlink(dir / "loop.xml"));
}

TEST(ReplaceFileAtomically, MissingDirectoryIsPathNotFound) {
  TempDir dir;
  EXPECT_THROW(replaceFileAtomically(wstr(dir / "none/file"), "x"), VPathNotFoundException);
  EXPECT_EQ(entryCount(dir.path()), 0);
}

}  // namespace
