#include "base/files/remove.h"

#include <gtest/gtest.h>

#include "base/errors/os_error.h"
#include "base/files/recycler.h"
#include "files_test_support.h"

namespace wc {

using namespace files_test;

namespace {

const std::string kRecycler = "Recycler/{86066D57-9347-46a7-B4DB-971D9EF36D29}";

// A tree with a read-only file and a read-only subdirectory.
void makeTree(const std::string& root) {
  makeDirectories(root + "/sub/deeper");
  writeFile(root + "/a.txt", "a");
  writeFile(root + "/sub/b.txt", "b");
  writeFile(root + "/sub/deeper/c.txt", "c");
  makeReadOnly(root + "/sub/b.txt");
  makeReadOnly(root + "/sub/deeper");
}

TEST(RemoveFile, MissingFileIsNoFailureAReadOnlyOneNeedsForceAndABusyOneIsTriedAgain) {
  TempDir dir;
  removeFile(context, w(dir / "none.txt"), false);
  removeFile(context, w(dir / "none/none.txt"), true);
  removeFile(context, w(dir / "none.txt"), true, false, 3, 100);
  const std::string name = dir / "ro.txt";
  writeFile(name, "x");
  makeReadOnly(name);
  const std::wstring where = L"DeleteFile '" + w(name) + L"'";
  EXPECT_EQ(failureHolding<VAccessDeniedException>([&] { removeFile(context, w(name), false); }, where, "removeFile")
                .message(),
            osErrorText(ERROR_ACCESS_DENIED, where.c_str()));
  EXPECT_TRUE(pathExists(name));
  removeFile(context, w(name), true);
  EXPECT_FALSE(pathExists(name));

  // Retries with pauses until the file goes or the retries are used.
  writeFile(name, "x");
  RecordingClock clock;
  FaultyFileSystem fs;
  const Context context = testContext(clock, fs);
  fs.failWhen(FsCall::DeleteFile, L"ro.txt", ERROR_SHARING_VIOLATION, 0, 3);
  removeFile(context, w(name), true, false, 5, 250);
  EXPECT_FALSE(pathExists(name));
  EXPECT_EQ(clock.sleeps, (std::vector<uint32_t>{250, 250}));  // first try, forced try, two retries

  writeFile(name, "x");
  fs.failWhen(FsCall::DeleteFile, L"ro.txt", ERROR_SHARING_VIOLATION);
  const int before = fs.count(FsCall::DeleteFile);
  EXPECT_THROW(removeFile(context, w(name), false, false, 2, 10), VSharingViolationException);
  EXPECT_EQ(fs.count(FsCall::DeleteFile) - before, 3);
  EXPECT_EQ(clock.sleeps.size(), 4u);
  EXPECT_TRUE(pathExists(name));
}

TEST(RemoveFile, ThroughTheRecycler) {
  Sandbox sandbox;
  removeFile(context, w(sandbox.path("none.txt")), true, true);
  EXPECT_FALSE(pathExists(sandbox.path("Recycler")));  // not created for a missing file
  const std::string name = sandbox.path("data/file.txt");
  makeDirectories(sandbox.path("data"));
  writeFile(name, "x");
  removeFile(context, w(name), true, true);
  EXPECT_FALSE(pathExists(name));
  EXPECT_TRUE(treeOf(sandbox.path(kRecycler)).empty());

  writeFile(name, "x");
  FaultyFileSystem fs;
  const Context context = testContext(fs);
  fs.failWhen(FsCall::MoveFile, L"file.txt", ERROR_ACCESS_DENIED);
  failureHolding<VAccessDeniedException>(
      [&] { removeFile(context, w(name), true, true); },
      L"at Move file '" + w(name) + L"' to '" + native(sandbox.path(kRecycler) + "/{"), "removeFile");
  EXPECT_TRUE(pathExists(name));
}

TEST(RemoveDir, ReadOnlyEntriesStopItUnlessForced) {
  Sandbox sandbox;
  const std::string root = sandbox.path("webapps/site");
  makeTree(root);
  const std::wstring where = L"Delete file '" + native(root + "/sub/b.txt") + L"'";
  EXPECT_EQ(
      failureHolding<VAccessDeniedException>([&] { removeDir(context, w(root), false); }, where, "removeDir").message(),
      osErrorText(ERROR_ACCESS_DENIED, where.c_str()));
  EXPECT_TRUE(pathExists(root + "/sub/b.txt"));
  removeDir(context, w(root), true);
  EXPECT_FALSE(pathExists(root));

  makeTree(root);  // through the recycler
  removeDir(context, w(root), true, recyclerDirectory(context, w(root)));
  EXPECT_FALSE(pathExists(root));
  EXPECT_TRUE(pathExists(sandbox.path("webapps")));
  EXPECT_TRUE(treeOf(sandbox.path(kRecycler)).empty());
}

TEST(RemoveDir, ForceUnlocksAnUnlistableDirectoryAndTriesARefusedRemovalAgain) {
  TempDir dir;
  const std::string root = dir / "tree";
  makeDirectories(root);
  writeFile(root + "/a", "a");
  FaultyFileSystem fs;
  const Context context = testContext(fs);
  fs.failWhen(FsCall::ListDirectory, L"tree", ERROR_ACCESS_DENIED, 0, 1);
  removeDir(context, w(root), true);
  EXPECT_FALSE(pathExists(root));
  EXPECT_EQ(fs.count(FsCall::ListDirectory), 2);
  EXPECT_EQ(fs.count(FsCall::GrantDeleteAccess, L"tree"), 1);

  makeDirectories(root);
  fs.failWhen(FsCall::RemoveDirectory, L"tree", ERROR_SHARING_VIOLATION);
  const std::wstring where = L"Delete directory '" + w(root) + L"'";
  EXPECT_EQ(failureOf<VSharingViolationException>([&] { removeDir(context, w(root), true); }).message(),
            osErrorText(ERROR_SHARING_VIOLATION, where.c_str()));
  EXPECT_EQ(fs.count(FsCall::RemoveDirectory), 3);  // one before, and the forced second attempt
}

TEST(RemoveDirectory, MissingDirectoryIsNoFailureButRemoveDirReportsIt) {
  TempDir dir;
  removeDirectory(context, w(dir / "none"), true);
  removeDirectory(context, w(dir / "none/deeper"), true, true);
  const std::string root = dir / "tree";
  makeTree(root);
  removeDirectory(context, w(root), true);
  EXPECT_FALSE(pathExists(root));
  EXPECT_THROW(removeDir(context, w(dir / "none"), true), VFileNotFoundException);
}

}  // namespace

}  // namespace wc
