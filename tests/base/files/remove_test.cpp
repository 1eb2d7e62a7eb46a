#include "base/files/remove.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "base/errors/os_error.h"
#include "base/files/recycler.h"
#include "files_test_support.h"

using namespace files_test;

namespace {

const std::string kRecycler = "Recycler/{86066D57-9347-46a7-B4DB-971D9EF36D29}";

// A tree with a read-only file and a read-only subdirectory.
void makeTree(const std::string& root) {
  makeDirectories(root + "/sub/deeper");
  writeFile(root + "/a.txt", "a");
  writeFile(root + "/sub/b.txt", "b");
  writeFile(root + "/sub/deeper/c.txt", "c");
  ::chmod((root + "/sub/b.txt").c_str(), 0444);
  ::chmod((root + "/sub/deeper").c_str(), 0555);
}

TEST(RemoveFile, MissingFileIsNoFailureAndAReadOnlyOneNeedsForce) {
  TempDir dir;
  removeFile(w(dir / "none.txt"), false);
  removeFile(w(dir / "none/none.txt"), true);
  removeFile(w(dir / "none.txt"), true, false, 3, 100);
  const std::string name = dir / "ro.txt";
  writeFile(name, "x");
  ASSERT_EQ(::chmod(name.c_str(), 0444), 0);
  const auto e = failureOf<VAccessDeniedException>([&] { removeFile(w(name), false); });
  EXPECT_EQ(e.message(), L"Access is denied. (Error code 5) at DeleteFile '" + w(name) + L"'");
  EXPECT_EQ(e.callPoints().at(0).function, "removeFile");
  EXPECT_TRUE(pathExists(name));
  removeFile(w(name), true);
  EXPECT_FALSE(pathExists(name));
}

TEST(RemoveFile, RetriesWithPausesUntilTheFileGoesOrTheRetriesAreUsed) {
  TempDir dir;
  const std::string name = dir / "busy.txt";
  writeFile(name, "x");
  RecordingClock clock;
  FaultyFileSystem fs;
  fs.failWhen(FsCall::DeleteFile, L"busy.txt", ERROR_SHARING_VIOLATION, 0, 3);
  removeFile(w(name), true, false, 5, 250);
  EXPECT_FALSE(pathExists(name));
  EXPECT_EQ(clock.sleeps, (std::vector<uint32_t>{250, 250}));  // first try, forced try, two retries

  writeFile(name, "x");
  fs.failWhen(FsCall::DeleteFile, L"busy.txt", ERROR_SHARING_VIOLATION);
  const int before = fs.count(FsCall::DeleteFile);
  EXPECT_THROW(removeFile(w(name), false, false, 2, 10), VSharingViolationException);
  EXPECT_EQ(fs.count(FsCall::DeleteFile) - before, 3);
  EXPECT_EQ(clock.sleeps.size(), 4u);
  EXPECT_TRUE(pathExists(name));
}

TEST(RemoveFile, ThroughTheRecycler) {
  Sandbox sandbox;
  removeFile(w(sandbox.path("none.txt")), true, true);
  EXPECT_FALSE(pathExists(sandbox.path("Recycler")));  // not created for a missing file
  const std::string name = sandbox.path("data/file.txt");
  makeDirectories(sandbox.path("data"));
  writeFile(name, "x");
  removeFile(w(name), true, true);
  EXPECT_FALSE(pathExists(name));
  EXPECT_TRUE(treeOf(sandbox.path(kRecycler)).empty());

  writeFile(name, "x");
  FaultyFileSystem fs;
  fs.failWhen(FsCall::MoveFile, L"file.txt", ERROR_ACCESS_DENIED);
  const auto e = failureOf<VAccessDeniedException>([&] { removeFile(w(name), true, true); });
  EXPECT_TRUE(holds(e.message(), L"at Move file '" + w(name) + L"' to '" + w(sandbox.path(kRecycler)) + L"/{"));
  EXPECT_TRUE(pathExists(name));
}

TEST(RemoveDir, ReadOnlyEntriesStopItUnlessForced) {
  Sandbox sandbox;
  const std::string root = sandbox.path("webapps/site");
  makeTree(root);
  const auto e = failureOf<VAccessDeniedException>([&] { removeDir(w(root), false); });
  EXPECT_EQ(e.message(), L"Access is denied. (Error code 5) at Delete file '" + w(root + "/sub/b.txt") + L"'");
  EXPECT_EQ(e.callPoints().at(0).function, "removeDir");
  EXPECT_TRUE(pathExists(root + "/sub/b.txt"));
  removeDir(w(root), true);
  EXPECT_FALSE(pathExists(root));

  makeTree(root);  // through the recycler
  removeDir(w(root), true, recyclerDirectory(w(root)));
  EXPECT_FALSE(pathExists(root));
  EXPECT_TRUE(pathExists(sandbox.path("webapps")));
  EXPECT_TRUE(treeOf(sandbox.path(kRecycler)).empty());
}

TEST(RemoveDir, SharingViolationNamesTheHoldingProcessOrUsesThePlainText) {
  TempDir dir;
  const std::string root = dir / "tree";
  makeDirectories(root);
  writeFile(root + "/held.log", "x");
  HoldingChild child(root + "/held.log");
  FaultyFileSystem fs;  // Linux lets an open file go; Windows would not
  fs.failWhen(FsCall::DeleteFile, L"held.log", ERROR_SHARING_VIOLATION);
  auto e = failureOf<VSharingViolationException>([&] { removeDir(w(root), true); });
  EXPECT_TRUE(holds(e.message(), L"Delete file '" + w(root + "/held.log") + L"'. Processes: PID(" +
                                     std::to_wstring(child.pid()) + L") '"));
  EXPECT_TRUE(holds(e.message(), L"sleep'"));

  ::unlink((root + "/held.log").c_str());
  fs.failWhen(FsCall::RemoveDirectory, L"tree", ERROR_SHARING_VIOLATION);
  const int before = fs.count(FsCall::RemoveDirectory);
  e = failureOf<VSharingViolationException>([&] { removeDir(w(root), true); });
  EXPECT_EQ(e.message(),
            L"The process cannot access the file because it is being used by another process. (Error code 32) "
            L"at Delete directory '" +
                w(root) + L"'");
  EXPECT_EQ(fs.count(FsCall::RemoveDirectory) - before, 2);  // the forced second attempt happened
}

TEST(RemoveDir, UnlistableDirectoryIsUnlockedAndListedAgainWhenForced) {
  TempDir dir;
  const std::string root = dir / "tree";
  makeDirectories(root);
  writeFile(root + "/a", "a");
  FaultyFileSystem fs;
  fs.failWhen(FsCall::ListDirectory, L"tree", ERROR_ACCESS_DENIED, 0, 1);
  removeDir(w(root), true);
  EXPECT_FALSE(pathExists(root));
  EXPECT_EQ(fs.count(FsCall::ListDirectory), 2);
  EXPECT_EQ(fs.count(FsCall::GrantDeleteAccess, L"tree"), 1);
}

TEST(RemoveDirectory, MissingDirectoryIsNoFailureButRemoveDirReportsIt) {
  TempDir dir;
  removeDirectory(w(dir / "none"), true);
  removeDirectory(w(dir / "none/deeper"), true, true);
  const std::string root = dir / "tree";
  makeTree(root);
  removeDirectory(w(root), true);
  EXPECT_FALSE(pathExists(root));
  EXPECT_THROW(removeDir(w(dir / "none"), true), VFileNotFoundException);
}

}  // namespace
