#include <gtest/gtest.h>
#include <sys/stat.h>

#include "base/errors/os_error.h"
#include "base/files/copy.h"
#include "base/files/whole_file.h"
#include "files_test_support.h"

using namespace files_test;

namespace {

TEST(CopyFile, CopiesContentAndModeAndKeepsAnExistingTargetWhenAsked) {
  TempDir dir;
  writeFile(dir / "a", "content");
  ASSERT_EQ(::chmod((dir / "a").c_str(), 0604), 0);
  copyFile(w(dir / "a"), w(dir / "b"), true);
  EXPECT_EQ(readFile(dir / "b"), "content");
  EXPECT_EQ(modeOf(dir / "b"), 0604u);
  writeFile(dir / "a", "newer");
  const auto e = failureOf<VFileExistsException>([&] { copyFile(w(dir / "a"), w(dir / "b"), true); });
  EXPECT_TRUE(holds(e.message(), L"at copy file " + w(dir / "a") + L" to " + w(dir / "b")));
  EXPECT_EQ(e.callPoints().at(0).function, "copyFile");
  EXPECT_EQ(readFile(dir / "b"), "content");
  copyFile(w(dir / "a"), w(dir / "b"), false);
  EXPECT_EQ(readFile(dir / "b"), "newer");
}

TEST(CopyFile, MissingSourceCopyOntoItselfAndAHeldSourceFail) {
  TempDir dir;
  EXPECT_THROW(copyFile(w(dir / "none"), w(dir / "b"), false), VFileNotFoundException);
  EXPECT_FALSE(pathExists(dir / "b"));
  writeFile(dir / "a", "precious");
  EXPECT_THROW(copyFile(w(dir / "a"), w(dir / "./a"), false), VSharingViolationException);
  EXPECT_EQ(readFile(dir / "a"), "precious");

  HoldingChild child(dir / "a");
  FaultyFileSystem fs;
  fs.failWhen(FsCall::CopyFile, L"/a", ERROR_SHARING_VIOLATION);
  const auto e = failureOf<VSharingViolationException>([&] { copyFile(w(dir / "a"), w(dir / "b"), false); });
  EXPECT_TRUE(holds(e.message(), L"Copy file '" + w(dir / "a") + L"' to '" + w(dir / "b") + L"'. Processes: PID(" +
                                     std::to_wstring(child.pid()) + L")"));
}

TEST(CopyDirectoryTree, CopiesEverythingAndAMissingSourceCreatesNothing) {
  TempDir dir;
  makeDirectories(dir / "wars/nested/empty");
  writeFile(dir / "wars/a.war", "a");
  writeFile(dir / "wars/nested/b.war", "b");
  copyDirectoryTree(w(dir / "wars"), w(dir / "var/tomcat/wars"), false);
  EXPECT_EQ(treeOf(dir / "var/tomcat/wars"), treeOf(dir / "wars"));
  EXPECT_EQ(readFile(dir / "var/tomcat/wars/nested/b.war"), "b");
  EXPECT_EQ(readFile(dir / "wars/a.war"), "a");
  const auto e = failureOf<VPathNotFoundException>([&] { copyDirectoryTree(w(dir / "none"), w(dir / "copy"), false); });
  EXPECT_TRUE(holds(e.message(), L"Copy directory '" + w(dir / "none") + L"'"));
  EXPECT_FALSE(pathExists(dir / "copy"));
}

TEST(WholeFile, WritesAndReadsBytesAndOverwritesOnlyWhenAsked) {
  TempDir dir;
  const std::string bytes("\xEF\xBB\xBFline\0two\r\n", 13);
  EXPECT_TRUE(writeWholeFile(w(dir / "f"), bytes, false));
  EXPECT_EQ(readWholeFile(w(dir / "f")), bytes);
  EXPECT_FALSE(writeWholeFile(w(dir / "f"), "new", false));
  EXPECT_EQ(readFile(dir / "f"), bytes);
  EXPECT_TRUE(writeWholeFile(w(dir / "f"), "short", true));
  EXPECT_EQ(readFile(dir / "f"), "short");
}

TEST(WholeFile, FailuresNameTheFile) {
  TempDir dir;
  const auto e = failureOf<VFileNotFoundException>([&] { readWholeFile(w(dir / "none")); });
  EXPECT_EQ(e.message(),
            L"The system cannot find the file specified. (Error code 2) at Read file '" + w(dir / "none") + L"'");
  EXPECT_EQ(e.callPoints().at(0).function, "readWholeFile");
  EXPECT_THROW(writeWholeFile(w(dir / "none/f"), "x", true), VPathNotFoundException);
  EXPECT_THROW(readWholeFile(w(dir.path())), VAccessDeniedException);
}

}  // namespace
