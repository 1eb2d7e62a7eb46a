#include "base/files/rename.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "base/errors/os_error.h"
#include "base/files/vfile.h"
#include "files_test_support.h"

using namespace files_test;

namespace {

const std::vector<std::string> kSourceTree = {"a.txt", "b.txt", "c.txt", "sub/", "sub/d.txt"};

void makeSource(const std::string& root) {
  makeDirectories(root + "/sub");
  for (const char* name : {"a", "b", "c", "sub/d"}) writeFile(root + "/" + name + ".txt", name);
  ::chmod(root.c_str(), 0750);
}

TEST(RenameFile, RenamesRetriesSharedFilesAndFailsAtOnceOtherwise) {
  TempDir dir;
  writeFile(dir / "a", "a");
  renameFile(w(dir / "a"), w(dir / "b"), 0);  // zero tries do nothing
  EXPECT_TRUE(pathExists(dir / "a"));
  RecordingClock clock;
  FaultyFileSystem fs;
  fs.failWhen(FsCall::MoveFile, L"/a", ERROR_SHARING_VIOLATION, 0, 2);
  renameFile(w(dir / "a"), w(dir / "b"), 3);
  EXPECT_EQ(readFile(dir / "b"), "a");
  EXPECT_EQ(clock.sleeps, (std::vector<uint32_t>{100, 100}));

  writeFile(dir / "c", "c");
  const auto e = failureOf<VAlreadyExistsException>([&] { renameFile(w(dir / "c"), w(dir / "b"), 5); });
  EXPECT_TRUE(holds(e.message(), L"at Rename file '" + w(dir / "c") + L"' to '" + w(dir / "b") + L"'"));
  EXPECT_EQ(e.callPoints().at(0).function, "renameFile");
  EXPECT_EQ(clock.sleeps.size(), 2u);
  EXPECT_EQ(readFile(dir / "b"), "a");
}

TEST(RenameFile, OneTryOnAHeldFileNamesTheHolder) {
  TempDir dir;
  writeFile(dir / "held", "x");
  HoldingChild child(dir / "held");
  RecordingClock clock;
  FaultyFileSystem fs;
  fs.failWhen(FsCall::MoveFile, L"held", ERROR_SHARING_VIOLATION);
  const auto e = failureOf<VSharingViolationException>([&] { VFile::rename(w(dir / "held"), w(dir / "new")); });
  EXPECT_EQ(e.code(), ERROR_SHARING_VIOLATION);
  EXPECT_TRUE(holds(e.message(), L"Rename file '" + w(dir / "held") + L"' to '" + w(dir / "new") +
                                     L"'. Processes: PID(" + std::to_wstring(child.pid()) + L")"));
  EXPECT_TRUE(clock.sleeps.empty());
}

TEST(VFileTest, HardLinkSharesTheContent) {
  TempDir dir;
  writeFile(dir / "a.war", "archive");
  VFile::createHardLink(w(dir / "b.war"), w(dir / "a.war"));
  struct stat a {
  }, b{};
  ASSERT_EQ(::stat((dir / "a.war").c_str(), &a) | ::stat((dir / "b.war").c_str(), &b), 0);
  EXPECT_EQ(a.st_ino, b.st_ino);
  const auto e = failureOf<VAlreadyExistsException>([&] { VFile::createHardLink(w(dir / "b.war"), w(dir / "a.war")); });
  EXPECT_TRUE(holds(e.message(), L"at Establishes a hard link between an existing file '" + w(dir / "a.war") +
                                     L"' and a new file '" + w(dir / "b.war") + L"'"));
  EXPECT_EQ(e.callPoints().at(0).function, "VFile::createHardLink");
  EXPECT_THROW(VFile::createHardLink(w(dir / "c.war"), w(dir / "none.war")), VFileNotFoundException);
  EXPECT_THROW(VFile::createHardLink(w(dir / "none/c.war"), w(dir / "a.war")), VPathNotFoundException);
}

TEST(VFileTest, MoveExReplacesOnlyWhenAsked) {
  TempDir dir;
  writeFile(dir / "a", "new");
  writeFile(dir / "b", "old");
  EXPECT_THROW(VFile::moveEx(w(dir / "a"), w(dir / "b"), 0), VAlreadyExistsException);
  VFile::moveEx(w(dir / "a"), w(dir / "b"), MOVE_REPLACE_EXISTING);
  EXPECT_EQ(readFile(dir / "b"), "new");
}

TEST(RenameDir, SystemMoveWhenItCanAndPieceByPieceWhenItCannot) {
  Sandbox sandbox;
  makeSource(sandbox.path("src"));
  renameDir(w(sandbox.path("src")), w(sandbox.path("dst")), false);
  EXPECT_FALSE(pathExists(sandbox.path("src")));
  EXPECT_EQ(treeOf(sandbox.path("dst")), kSourceTree);

  FaultyFileSystem fs;
  fs.failWhen(FsCall::MoveFile, w(sandbox.path("dst")), ERROR_NOT_SAME_DEVICE, 0, 1);
  renameDir(w(sandbox.path("dst")), w(sandbox.path("other")), false);
  EXPECT_FALSE(pathExists(sandbox.path("dst")));
  EXPECT_EQ(treeOf(sandbox.path("other")), kSourceTree);
  EXPECT_EQ(readFile(sandbox.path("other/sub/d.txt")), "sub/d");
  EXPECT_EQ(modeOf(sandbox.path("other")), 0750u);
}

TEST(RenameDir, ExistingTargetWithoutReplaceOrAFileInTheWayFails) {
  TempDir dir;
  makeSource(dir / "src");
  makeDirectories(dir / "dst");
  writeFile(dir / "file", "file");
  FaultyFileSystem fs;
  auto e = failureOf([&] { renameDir(w(dir / "src"), w(dir / "dst"), false); });
  EXPECT_EQ(e.message(), L"Directory " + w(dir / "dst") + L" already exists");
  ASSERT_EQ(e.callPoints().size(), 2u);
  EXPECT_EQ(e.callPoints()[1].context, L"RenameDir('" + w(dir / "src") + L"', '" + w(dir / "dst") + L"')");
  EXPECT_EQ(e.callPoints()[1].function, "renameDir");
  EXPECT_EQ(fs.count(FsCall::MoveFile), 1);  // the system's move was tried first
  EXPECT_TRUE(treeOf(dir / "dst").empty());

  e = failureOf([&] { renameDir(w(dir / "src"), w(dir / "file"), true); });
  EXPECT_EQ(e.message(), L"File " + w(dir / "file") + L" already exists");
  EXPECT_EQ(readFile(dir / "file"), "file");
  EXPECT_TRUE(
      holds(failureOf([&] { renameDir(w(dir / "src"), w(dir / "src/sub/inner"), false); }).message(), L"into itself"));
  EXPECT_EQ(treeOf(dir / "src"), kSourceTree);
  EXPECT_THROW(renameDir(w(dir / "none"), w(dir / "new"), false), vexception);
  EXPECT_FALSE(pathExists(dir / "new"));
}

TEST(RenameDir, ReplaceMergesIntoAnExistingDirectory) {
  Sandbox sandbox;
  makeSource(sandbox.path("src"));
  makeDirectories(sandbox.path("dst"));
  writeFile(sandbox.path("dst/kept.txt"), "kept");
  renameDir(w(sandbox.path("src")), w(sandbox.path("dst")), true);
  EXPECT_FALSE(pathExists(sandbox.path("src")));
  std::vector<std::string> expected = kSourceTree;
  expected.insert(expected.begin() + 3, "kept.txt");
  EXPECT_EQ(treeOf(sandbox.path("dst")), expected);
  EXPECT_EQ(modeOf(sandbox.path("dst")), 0750u);  // the source's access
}

TEST(RenameDir, FailureInTheMiddleMovesEverythingBack) {
  Sandbox sandbox;
  makeSource(sandbox.path("src"));
  RecordingClock clock;
  FaultyFileSystem fs;
  fs.failWhen(FsCall::MoveFile, w(sandbox.path("src")), ERROR_NOT_SAME_DEVICE, 0, 1);
  // The third file to move fails, after two (and perhaps the subdirectory) have gone.
  fs.failWhen(FsCall::MoveFile, L".txt", ERROR_ACCESS_DENIED, 2, 1);
  const auto e = failureOf([&] { renameDir(w(sandbox.path("src")), w(sandbox.path("dst")), false); });
  EXPECT_TRUE(holds(e.message(), L"Access is denied."));
  EXPECT_EQ(e.callPoints().back().function, "renameDir");
  EXPECT_EQ(treeOf(sandbox.path("src")), kSourceTree);
  EXPECT_EQ(readFile(sandbox.path("src/sub/d.txt")), "sub/d");
  EXPECT_FALSE(pathExists(sandbox.path("dst")));  // created by the call, so removed again

  // A target that was there before stays.
  makeDirectories(sandbox.path("dst"));
  writeFile(sandbox.path("dst/kept.txt"), "kept");
  fs.failWhen(FsCall::MoveFile, L".txt", ERROR_ACCESS_DENIED, 1, 1);
  EXPECT_THROW(renameDir(w(sandbox.path("src")), w(sandbox.path("dst")), true), vexception);
  EXPECT_EQ(treeOf(sandbox.path("src")), kSourceTree);
  EXPECT_EQ(treeOf(sandbox.path("dst")), std::vector<std::string>{"kept.txt"});
}

}  // namespace
