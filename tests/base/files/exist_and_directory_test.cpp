#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/errors/os_error.h"
#include "base/files/directory.h"
#include "base/files/file_exist.h"
#include "files_test_support.h"

using namespace files_test;

namespace {

TEST(FileExist, TellsFilesDirectoriesAndMissingPathsFollowingLinks) {
  TempDir dir;
  writeFile(dir / "f", "x");
  bool isDirectory = true;
  EXPECT_TRUE(fileExist(w(dir / "f"), &isDirectory));
  EXPECT_FALSE(isDirectory);
  EXPECT_TRUE(fileExist(w(dir.path()), &isDirectory));
  EXPECT_TRUE(isDirectory);
  EXPECT_FALSE(fileExist(w(dir / "missing")));
  EXPECT_FALSE(fileExist(w(dir / "missing/deeper"), &isDirectory));
  EXPECT_FALSE(isDirectory);
  EXPECT_FALSE(fileExist(w(dir / "f/under-a-file")));
  makeDirectories(dir / "real");
  ASSERT_EQ(::symlink((dir / "real").c_str(), (dir / "link").c_str()), 0);
  ASSERT_EQ(::symlink((dir / "nowhere").c_str(), (dir / "dangling").c_str()), 0);
  EXPECT_TRUE(fileExist(w(dir / "link"), &isDirectory));
  EXPECT_TRUE(isDirectory);
  EXPECT_TRUE(fileExist(w(dir / "dangling"), &isDirectory));
  EXPECT_FALSE(isDirectory);

  FaultyFileSystem fs;  // other failures throw
  fs.failWhen(FsCall::GetAttributes, L"guarded", ERROR_ACCESS_DENIED);
  const auto e = failureOf<VAccessDeniedException>([&] { fileExist(w(dir / "guarded")); });
  EXPECT_EQ(e.callPoints().at(0).function, "fileExist");
  EXPECT_TRUE(holds(e.message(), w(dir / "guarded")));
}

TEST(DirectoryExist, EmptyPathIsFalseAndTheOutValueTellsAFile) {
  TempDir dir;
  writeFile(dir / "f", "x");
  bool isFile = false;
  EXPECT_FALSE(directoryExist(L"", &isFile));
  EXPECT_TRUE(directoryExist(w(dir / "f"), &isFile));
  EXPECT_TRUE(isFile);
  EXPECT_TRUE(directoryExist(w(dir.path()), &isFile));
  EXPECT_FALSE(isFile);
  EXPECT_FALSE(directoryExist(w(dir / "none")));
}

TEST(CreateDirectory, BuildsTheWholeChainAndRejectsAnEmptyPathOrAFileInTheWay) {
  TempDir dir;
  VDirectory::createDirectory(w(dir / "a/b/c/"));
  EXPECT_TRUE(pathExists(dir / "a/b/c"));
  VDirectory::createDirectory(w(dir / "a/b/c"));  // existing: nothing to do
  const auto e = failureOf<ArgumentException>([&] { VDirectory::createDirectory(L""); });
  EXPECT_EQ(e.message(), L"Unable to create directory with wrong name");
  EXPECT_EQ(e.callPoints().at(0).function, "VDirectory::createDirectory");
  writeFile(dir / "file", "x");
  EXPECT_THROW(VDirectory::createDirectory(w(dir / "file/sub")), vosexception);
}

TEST(CreateDirectory, AccessAppliesToNewDirectoriesOnly) {
  TempDir dir;
  testing_support::makeDirectories(dir / "old");
  ASSERT_EQ(::chmod((dir / "old").c_str(), 0700), 0);
  const mode_t oldMask = ::umask(0077);  // the access asked for wins over the umask
  const DirectoryAccess access = DirectoryAccess::fullAccessForAdministratorsAndSystem();
  VDirectory::createDirectory(w(dir / "old/new/deeper"), &access);
  ::umask(oldMask);
  EXPECT_EQ(modeOf(dir / "old"), 0700u);
  EXPECT_EQ(modeOf(dir / "old/new"), 0755u);
  EXPECT_EQ(modeOf(dir / "old/new/deeper"), 0755u);
  if (::geteuid() == 0) {
    struct stat st {};
    ASSERT_EQ(::stat((dir / "old/new/deeper").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 0u);
  }
}

TEST(CreateDirectory, FailureNamesThePathInItsContext) {
  TempDir dir;
  FaultyFileSystem fs;
  fs.failWhen(FsCall::CreateDirectory, L"/b", ERROR_ACCESS_DENIED);
  const auto e = failureOf<VAccessDeniedException>([&] { VDirectory::createDirectory(w(dir / "a/b/c")); });
  EXPECT_EQ(e.callPoints().at(0).context, L"CreateDirectory(" + w(dir / "a/b") + L")");
  EXPECT_NE(e.message().find(L"at " + w(dir / "a/b")), std::wstring::npos) << e.fullText();
  EXPECT_TRUE(pathExists(dir / "a"));
  EXPECT_FALSE(pathExists(dir / "a/b"));
}

}  // namespace
