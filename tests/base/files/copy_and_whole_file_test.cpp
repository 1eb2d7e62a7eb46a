#include <gtest/gtest.h>
#include <sys/stat.h>

#include "base/errors/os_error.h"
#include "base/files/copy.h"
#include "base/files/whole_file.h"
#include "files_test_support.h"
#include "support/faulty_file_system.h"
#include "support/sandbox.h"

using files_test::HoldingChild;
using files_test::modeOf;
using files_test::treeOf;
using files_test::w;
using testing_support::makeDirectories;
using testing_support::pathExists;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

namespace {

TEST(CopyFile, CopiesContentAndMode) {
  TempDir dir;
  writeFile(dir / "a", "content");
  ASSERT_EQ(::chmod((dir / "a").c_str(), 0604), 0);
  copyFile(w(dir / "a"), w(dir / "b"), true);
  EXPECT_EQ(readFile(dir / "b"), "content");
  EXPECT_EQ(modeOf(dir / "b"), 0604u);
  writeFile(dir / "a", "newer");
  copyFile(w(dir / "a"), w(dir / "b"), false);
  EXPECT_EQ(readFile(dir / "b"), "newer");
}

TEST(CopyFile, ExistingTargetIsKeptWhenAsked) {
  TempDir dir;
  writeFile(dir / "a", "a");
  writeFile(dir / "b", "b");
  try {
    copyFile(w(dir / "a"), w(dir / "b"), true);
    FAIL() << "no exception";
  } catch (const VFileExistsException& e) {
    EXPECT_NE(e.message().find(L"at copy file " + w(dir / "a") + L" to " + w(dir / "b")), std::wstring::npos);
    EXPECT_EQ(e.callPoints().at(0).function, "copyFile");
  }
  EXPECT_EQ(readFile(dir / "b"), "b");
}

TEST(CopyFile, MissingSourceAndCopyOntoItself) {
  TempDir dir;
  EXPECT_THROW(copyFile(w(dir / "none"), w(dir / "b"), false), VFileNotFoundException);
  EXPECT_FALSE(pathExists(dir / "b"));
  writeFile(dir / "a", "precious");
  EXPECT_THROW(copyFile(w(dir / "a"), w(dir / "./a"), false), VSharingViolationException);
  EXPECT_EQ(readFile(dir / "a"), "precious");
}

TEST(CopyFile, SharingViolationNamesTheHolder) {
  TempDir dir;
  writeFile(dir / "a", "a");
  HoldingChild child(dir / "a");
  FaultyFileSystem fs;
  fs.failWhen(FsCall::CopyFile, L"/a", ERROR_SHARING_VIOLATION);
  try {
    copyFile(w(dir / "a"), w(dir / "b"), false);
    FAIL() << "no exception";
  } catch (const VSharingViolationException& e) {
    EXPECT_NE(e.message().find(L"Copy file '" + w(dir / "a") + L"' to '" + w(dir / "b") + L"'. Processes: PID(" +
                               std::to_wstring(child.pid()) + L")"),
              std::wstring::npos)
        << e.fullText();
  }
}

TEST(CopyDirectoryTree, CopiesEverything) {
  TempDir dir;
  makeDirectories(dir / "wars/nested/empty");
  writeFile(dir / "wars/a.war", "a");
  writeFile(dir / "wars/nested/b.war", "b");
  copyDirectoryTree(w(dir / "wars"), w(dir / "var/tomcat/wars"), false);
  EXPECT_EQ(treeOf(dir / "var/tomcat/wars"), treeOf(dir / "wars"));
  EXPECT_EQ(readFile(dir / "var/tomcat/wars/nested/b.war"), "b");
  EXPECT_EQ(readFile(dir / "wars/a.war"), "a");
}

TEST(CopyDirectoryTree, MissingSourceCreatesNothing) {
  TempDir dir;
  try {
    copyDirectoryTree(w(dir / "none"), w(dir / "copy"), false);
    FAIL() << "no exception";
  } catch (const VPathNotFoundException& e) {
    EXPECT_NE(e.message().find(L"Copy directory '" + w(dir / "none") + L"'"), std::wstring::npos);
  }
  EXPECT_FALSE(pathExists(dir / "copy"));
}

TEST(WholeFile, WritesAndReadsBytes) {
  TempDir dir;
  const std::string bytes("\xEF\xBB\xBFline\0two\r\n", 13);
  EXPECT_TRUE(writeWholeFile(w(dir / "f"), bytes, false));
  EXPECT_EQ(readWholeFile(w(dir / "f")), bytes);
  EXPECT_TRUE(writeWholeFile(w(dir / "f"), "short", true));
  EXPECT_EQ(readFile(dir / "f"), "short");
}

TEST(WholeFile, NoOverwriteLeavesAnExistingFile) {
  TempDir dir;
  writeFile(dir / "f", "old");
  EXPECT_FALSE(writeWholeFile(w(dir / "f"), "new", false));
  EXPECT_EQ(readFile(dir / "f"), "old");
}

TEST(WholeFile, FailuresNameTheFile) {
  TempDir dir;
  try {
    readWholeFile(w(dir / "none"));
    FAIL() << "no exception";
  } catch (const VFileNotFoundException& e) {
    EXPECT_EQ(e.message(),
              L"The system cannot find the file specified. (Error code 2) at Read file '" + w(dir / "none") + L"'");
    EXPECT_EQ(e.callPoints().at(0).function, "readWholeFile");
  }
  EXPECT_THROW(writeWholeFile(w(dir / "none/f"), "x", true), VPathNotFoundException);
  EXPECT_THROW(readWholeFile(w(dir.path())), VAccessDeniedException);
}

}  // namespace
