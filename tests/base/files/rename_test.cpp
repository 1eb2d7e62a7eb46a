#include "base/files/rename.h"

#include <gtest/gtest.h>

#include "base/errors/os_error.h"
#include "base/files/vfile.h"
#include "files_test_support.h"

namespace wc {

using namespace files_test;

namespace {

const std::vector<std::string> kSourceTree = {"a.txt", "b.txt", "c.txt", "sub/", "sub/d.txt"};

void makeSource(const std::string& root) {
  makeDirectories(root + "/sub");
  for (const char* name : {"a", "b", "c", "sub/d"}) writeFile(root + "/" + name + ".txt", name);
}

TEST(RenameFile, RenamesRetriesSharedFilesAndFailsAtOnceOtherwise) {
  TempDir dir;
  writeFile(dir / "a", "a");
  renameFile(context, w(dir / "a"), w(dir / "b"), 0);  // zero tries do nothing
  EXPECT_TRUE(pathExists(dir / "a"));
  RecordingClock clock;
  FaultyFileSystem fs;
  const Context context = testContext(clock, fs);
  fs.failWhen(FsCall::MoveFile, L"/a", ERROR_SHARING_VIOLATION, 0, 2);
  renameFile(context, w(dir / "a"), w(dir / "b"), 3);
  EXPECT_EQ(readFile(dir / "b"), "a");
  EXPECT_EQ(clock.sleeps, (std::vector<uint32_t>{100, 100}));

  writeFile(dir / "c", "c");
  failureHolding<VAlreadyExistsException>([&] { renameFile(context, w(dir / "c"), w(dir / "b"), 5); },
                                          L"at Rename file '" + w(dir / "c") + L"' to '" + w(dir / "b") + L"'",
                                          "renameFile");
  EXPECT_EQ(clock.sleeps.size(), 2u);
  EXPECT_EQ(readFile(dir / "b"), "a");
}

TEST(VFileTest, HardLinksShareTheContentAndMoveExReplacesOnlyWhenAsked) {
  TempDir dir;
  writeFile(dir / "a.war", "archive");
  VFile::createHardLink(context, w(dir / "b.war"), w(dir / "a.war"));
  writeFile(dir / "a.war", "changed in place");
  EXPECT_EQ(readFile(dir / "b.war"), "changed in place");
  failureHolding<VAlreadyExistsException>([&] { VFile::createHardLink(context, w(dir / "b.war"), w(dir / "a.war")); },
                                          L"at Establishes a hard link between an existing file '" + w(dir / "a.war") +
                                              L"' and a new file '" + w(dir / "b.war") + L"'",
                                          "VFile::createHardLink");
  EXPECT_THROW(VFile::createHardLink(context, w(dir / "c.war"), w(dir / "none.war")), VFileNotFoundException);
  EXPECT_THROW(VFile::createHardLink(context, w(dir / "none/c.war"), w(dir / "a.war")), VPathNotFoundException);

  writeFile(dir / "new", "new");
  EXPECT_THROW(VFile::moveEx(context, w(dir / "new"), w(dir / "a.war"), 0), VAlreadyExistsException);
  VFile::moveEx(context, w(dir / "new"), w(dir / "a.war"), MOVE_REPLACE_EXISTING);
  EXPECT_EQ(readFile(dir / "a.war"), "new");
}

TEST(RenameDir, SystemMoveWhenItCanAndPieceByPieceWhenItCannot) {
  Sandbox sandbox;
  makeSource(sandbox.path("src"));
  renameDir(context, w(sandbox.path("src")), w(sandbox.path("dst")), false);
  EXPECT_FALSE(pathExists(sandbox.path("src")));
  EXPECT_EQ(treeOf(sandbox.path("dst")), kSourceTree);

  FaultyFileSystem fs;
  const Context context = testContext(fs);
  fs.failWhen(FsCall::MoveFile, w(sandbox.path("dst")), ERROR_NOT_SAME_DEVICE, 0, 1);
  renameDir(context, w(sandbox.path("dst")), w(sandbox.path("other")), false);
  EXPECT_FALSE(pathExists(sandbox.path("dst")));
  EXPECT_EQ(treeOf(sandbox.path("other")), kSourceTree);
  EXPECT_EQ(readFile(sandbox.path("other/sub/d.txt")), "sub/d");
  EXPECT_EQ(fs.count(FsCall::CopySecurity), 1);  // the new target gets the source's access
}

TEST(RenameDir, ExistingTargetWithoutReplaceOrAFileInTheWayFails) {
  TempDir dir;
  makeSource(dir / "src");
  makeDirectories(dir / "dst");
  writeFile(dir / "file", "file");
  FaultyFileSystem fs;
  const Context context = testContext(fs);
  auto e = failureOf([&] { renameDir(context, w(dir / "src"), w(dir / "dst"), false); });
  EXPECT_EQ(e.message(), L"Directory " + w(dir / "dst") + L" already exists");
  ASSERT_EQ(e.callPoints().size(), 2u);
  EXPECT_EQ(e.callPoints()[1].context, L"RenameDir('" + w(dir / "src") + L"', '" + w(dir / "dst") + L"')");
  EXPECT_EQ(e.callPoints()[1].function, "renameDir");
  EXPECT_EQ(fs.count(FsCall::MoveFile), 1);  // the system's move was tried first
  EXPECT_TRUE(treeOf(dir / "dst").empty());

  e = failureOf([&] { renameDir(context, w(dir / "src"), w(dir / "file"), true); });
  EXPECT_EQ(e.message(), L"File " + w(dir / "file") + L" already exists");
  EXPECT_EQ(readFile(dir / "file"), "file");
  EXPECT_TRUE(holds(failureOf([&] { renameDir(context, w(dir / "src"), w(dir / "src/sub/inner"), false); }).message(),
                    L"into itself"));
  EXPECT_EQ(treeOf(dir / "src"), kSourceTree);
  EXPECT_THROW(renameDir(context, w(dir / "none"), w(dir / "new"), false), vexception);
  EXPECT_FALSE(pathExists(dir / "new"));
}

TEST(RenameDir, ReplaceMergesIntoAnExistingDirectoryAndAFailureInTheMiddleMovesEverythingBack) {
  Sandbox sandbox;
  makeSource(sandbox.path("src"));
  makeDirectories(sandbox.path("dst"));
  writeFile(sandbox.path("dst/kept.txt"), "kept");
  RecordingClock clock;
  FaultyFileSystem fs;
  const Context context = testContext(clock, fs);
  // The third file to move fails, after two (and perhaps the subdirectory) have gone.
  fs.failWhen(FsCall::MoveFile, L".txt", ERROR_ACCESS_DENIED, 2, 1);
  const auto e = failureOf([&] { renameDir(context, w(sandbox.path("src")), w(sandbox.path("dst")), true); });
  EXPECT_TRUE(holds(e.message(), *systemMessageText(ERROR_ACCESS_DENIED)));
  EXPECT_EQ(e.callPoints().back().function, "renameDir");
  EXPECT_EQ(treeOf(sandbox.path("src")), kSourceTree);
  EXPECT_EQ(readFile(sandbox.path("src/sub/d.txt")), "sub/d");
  EXPECT_EQ(treeOf(sandbox.path("dst")), std::vector<std::string>{"kept.txt"});  // a target that was there stays

  renameDir(context, w(sandbox.path("src")), w(sandbox.path("dst")), true);
  EXPECT_FALSE(pathExists(sandbox.path("src")));
  std::vector<std::string> expected = kSourceTree;
  expected.insert(expected.begin() + 3, "kept.txt");
  EXPECT_EQ(treeOf(sandbox.path("dst")), expected);

  // One the call created goes again.
  fs.failWhen(FsCall::MoveFile, w(sandbox.path("dst")), ERROR_NOT_SAME_DEVICE, 0, 1);
  fs.failWhen(FsCall::MoveFile, L".txt", ERROR_ACCESS_DENIED, 1, 1);
  EXPECT_THROW(renameDir(context, w(sandbox.path("dst")), w(sandbox.path("new")), false), vexception);
  EXPECT_EQ(treeOf(sandbox.path("dst")), expected);
  EXPECT_FALSE(pathExists(sandbox.path("new")));
}

}  // namespace

}  // namespace wc
