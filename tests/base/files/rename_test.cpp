#include "base/files/rename.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "base/errors/os_error.h"
#include "base/files/vfile.h"
#include "files_test_support.h"
#include "support/faulty_file_system.h"
#include "support/sandbox.h"

using files_test::HoldingChild;
using files_test::modeOf;
using files_test::RecordingClock;
using files_test::treeOf;
using files_test::w;
using testing_support::makeDirectories;
using testing_support::pathExists;
using testing_support::readFile;
using testing_support::Sandbox;
using testing_support::TempDir;
using testing_support::writeFile;

namespace {

const std::vector<std::string> kSourceTree = {"a.txt", "b.txt", "c.txt", "sub/", "sub/d.txt"};

void makeSource(const std::string& root) {
  makeDirectories(root + "/sub");
  writeFile(root + "/a.txt", "a");
  writeFile(root + "/b.txt", "b");
  writeFile(root + "/c.txt", "c");
  writeFile(root + "/sub/d.txt", "d");
  ::chmod(root.c_str(), 0750);
}

TEST(RenameFile, RenamesAndZeroTriesDoNothing) {
  TempDir dir;
  writeFile(dir / "a", "content");
  renameFile(w(dir / "a"), w(dir / "b"), 0);
  EXPECT_TRUE(pathExists(dir / "a"));
  renameFile(w(dir / "a"), w(dir / "b"), 1);
  EXPECT_FALSE(pathExists(dir / "a"));
  EXPECT_EQ(readFile(dir / "b"), "content");
}

TEST(RenameFile, OtherErrorsFailAtOnce) {
  TempDir dir;
  writeFile(dir / "a", "a");
  writeFile(dir / "b", "b");
  RecordingClock clock;
  try {
    renameFile(w(dir / "a"), w(dir / "b"), 5);
    FAIL() << "no exception";
  } catch (const VAlreadyExistsException& e) {
    EXPECT_NE(e.message().find(L"at Rename file '" + w(dir / "a") + L"' to '" + w(dir / "b") + L"'"),
              std::wstring::npos);
    EXPECT_EQ(e.callPoints().at(0).function, "renameFile");
  }
  EXPECT_TRUE(clock.sleeps.empty());
  EXPECT_EQ(readFile(dir / "b"), "b");
}

TEST(RenameFile, SharedFileIsRetriedEvery100Ms) {
  TempDir dir;
  writeFile(dir / "a", "a");
  RecordingClock clock;
  FaultyFileSystem fs;
  fs.failWhen(FsCall::MoveFile, L"/a", ERROR_SHARING_VIOLATION, 0, 2);
  renameFile(w(dir / "a"), w(dir / "b"), 3);
  EXPECT_EQ(readFile(dir / "b"), "a");
  EXPECT_EQ(clock.sleeps, (std::vector<uint32_t>{100, 100}));
}

TEST(RenameFile, OneTryOnAHeldFileNamesTheHolder) {
  TempDir dir;
  writeFile(dir / "held", "x");
  HoldingChild child(dir / "held");
  RecordingClock clock;
  FaultyFileSystem fs;
  fs.failWhen(FsCall::MoveFile, L"held", ERROR_SHARING_VIOLATION);
  try {
    VFile::rename(w(dir / "held"), w(dir / "new"));
    FAIL() << "no exception";
  } catch (const VSharingViolationException& e) {
    EXPECT_EQ(e.code(), ERROR_SHARING_VIOLATION);
    const std::wstring expected = L"Rename file '" + w(dir / "held") + L"' to '" + w(dir / "new") +
                                  L"'. Processes: PID(" + std::to_wstring(child.pid()) + L")";
    EXPECT_NE(e.message().find(expected), std::wstring::npos) << e.fullText();
  }
  EXPECT_TRUE(clock.sleeps.empty());
}

TEST(VFileTest, HardLinkSharesTheContent) {
  TempDir dir;
  writeFile(dir / "a.war", "archive");
  VFile::createHardLink(w(dir / "b.war"), w(dir / "a.war"));
  struct stat a {
  }, b{};
  ASSERT_EQ(::stat((dir / "a.war").c_str(), &a), 0);
  ASSERT_EQ(::stat((dir / "b.war").c_str(), &b), 0);
  EXPECT_EQ(a.st_ino, b.st_ino);
  try {
    VFile::createHardLink(w(dir / "b.war"), w(dir / "a.war"));
    FAIL() << "no exception";
  } catch (const VAlreadyExistsException& e) {
    EXPECT_NE(e.message().find(L"at Establishes a hard link between an existing file '" + w(dir / "a.war") +
                               L"' and a new file '" + w(dir / "b.war") + L"'"),
              std::wstring::npos);
    EXPECT_EQ(e.callPoints().at(0).function, "VFile::createHardLink");
  }
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

TEST(RenameDir, SystemMoveWhenItCan) {
  TempDir dir;
  makeSource(dir / "src");
  renameDir(w(dir / "src"), w(dir / "dst"), false);
  EXPECT_FALSE(pathExists(dir / "src"));
  EXPECT_EQ(treeOf(dir / "dst"), kSourceTree);
}

TEST(RenameDir, ExistingTargetWithoutReplaceFails) {
  TempDir dir;
  makeSource(dir / "src");
  makeDirectories(dir / "dst");
  FaultyFileSystem fs;
  try {
    renameDir(w(dir / "src"), w(dir / "dst"), false);
    FAIL() << "no exception";
  } catch (const vexception& e) {
    EXPECT_EQ(e.message(), L"Directory " + w(dir / "dst") + L" already exists");
    ASSERT_EQ(e.callPoints().size(), 2u);
    EXPECT_EQ(e.callPoints()[1].context, L"RenameDir('" + w(dir / "src") + L"', '" + w(dir / "dst") + L"')");
    EXPECT_EQ(e.callPoints()[1].function, "renameDir");
  }
  EXPECT_EQ(fs.count(FsCall::MoveFile), 1);  // the system's move was tried first
  EXPECT_EQ(treeOf(dir / "src"), kSourceTree);
  EXPECT_TRUE(treeOf(dir / "dst").empty());
}

TEST(RenameDir, FileAsTargetFailsEvenWithReplace) {
  TempDir dir;
  makeSource(dir / "src");
  writeFile(dir / "dst", "file");
  try {
    renameDir(w(dir / "src"), w(dir / "dst"), true);
    FAIL() << "no exception";
  } catch (const vexception& e) {
    EXPECT_EQ(e.message(), L"File " + w(dir / "dst") + L" already exists");
  }
  EXPECT_EQ(readFile(dir / "dst"), "file");
}

TEST(RenameDir, ReplaceMergesIntoAnExistingDirectory) {
  Sandbox sandbox;
  makeSource(sandbox.path("src"));
  makeDirectories(sandbox.path("dst"));
  writeFile(sandbox.path("dst/kept.txt"), "kept");
  renameDir(w(sandbox.path("src")), w(sandbox.path("dst")), true);
  EXPECT_FALSE(pathExists(sandbox.path("src")));
  std::vector<std::string> expected = kSourceTree;
  expected.push_back("kept.txt");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(treeOf(sandbox.path("dst")), expected);
  EXPECT_EQ(modeOf(sandbox.path("dst")), 0750u);  // the source's access
}

TEST(RenameDir, PieceByPieceWhenTheSystemMoveFails) {
  Sandbox sandbox;
  makeSource(sandbox.path("src"));
  FaultyFileSystem fs;
  fs.failWhen(FsCall::MoveFile, w(sandbox.path("src")), ERROR_NOT_SAME_DEVICE, 0, 1);
  renameDir(w(sandbox.path("src")), w(sandbox.path("dst")), false);
  EXPECT_FALSE(pathExists(sandbox.path("src")));
  EXPECT_EQ(treeOf(sandbox.path("dst")), kSourceTree);
  EXPECT_EQ(readFile(sandbox.path("dst/sub/d.txt")), "d");
  EXPECT_EQ(modeOf(sandbox.path("dst")), 0750u);
}

TEST(RenameDir, FailureInTheMiddleMovesEverythingBack) {
  Sandbox sandbox;
  makeSource(sandbox.path("src"));
  RecordingClock clock;
  FaultyFileSystem fs;
  fs.failWhen(FsCall::MoveFile, w(sandbox.path("src")), ERROR_NOT_SAME_DEVICE, 0, 1);
  // The third file to move fails, after two (and perhaps the subdirectory) have gone.
  fs.failWhen(FsCall::MoveFile, L".txt", ERROR_ACCESS_DENIED, 2, 1);
  try {
    renameDir(w(sandbox.path("src")), w(sandbox.path("dst")), false);
    FAIL() << "no exception";
  } catch (const vexception& e) {
    EXPECT_NE(e.message().find(L"Access is denied."), std::wstring::npos) << e.fullText();
    EXPECT_EQ(e.callPoints().back().function, "renameDir");
  }
  EXPECT_EQ(treeOf(sandbox.path("src")), kSourceTree);
  EXPECT_EQ(readFile(sandbox.path("src/sub/d.txt")), "d");
  EXPECT_FALSE(pathExists(sandbox.path("dst")));  // created by the call, so removed again
}

TEST(RenameDir, FailureKeepsATargetThatWasThereBefore) {
  Sandbox sandbox;
  makeSource(sandbox.path("src"));
  makeDirectories(sandbox.path("dst"));
  writeFile(sandbox.path("dst/kept.txt"), "kept");
  FaultyFileSystem fs;
  fs.failWhen(FsCall::MoveFile, L".txt", ERROR_ACCESS_DENIED, 1, 1);
  EXPECT_THROW(renameDir(w(sandbox.path("src")), w(sandbox.path("dst")), true), vexception);
  EXPECT_EQ(treeOf(sandbox.path("src")), kSourceTree);
  EXPECT_EQ(treeOf(sandbox.path("dst")), std::vector<std::string>{"kept.txt"});
}

TEST(RenameDir, IntoItselfIsRefused) {
  TempDir dir;
  makeSource(dir / "src");
  try {
    renameDir(w(dir / "src"), w(dir / "src/sub/inner"), false);
    FAIL() << "no exception";
  } catch (const vexception& e) {
    EXPECT_NE(e.message().find(L"into itself"), std::wstring::npos);
  }
  EXPECT_EQ(treeOf(dir / "src"), kSourceTree);
}

TEST(RenameDir, MissingSourceFailsWithoutCreatingTheTarget) {
  TempDir dir;
  EXPECT_THROW(renameDir(w(dir / "none"), w(dir / "dst"), false), vexception);
  EXPECT_FALSE(pathExists(dir / "dst"));
}

}  // namespace
