#include <gtest/gtest.h>

#include "base/errors/os_error.h"
#include "base/files/copy.h"
#include "base/files/whole_file.h"
#include "files_test_support.h"

namespace wc {

using namespace files_test;

namespace {

TEST(CopyFile, CopiesFilesAndTreesKeepsAnExistingTargetWhenAskedAndFailsOnAMissingSourceOrItself) {
  TempDir dir;
  writeFile(dir / "a", "content");
  copyFile(context, w(dir / "a"), w(dir / "b"), true);
  EXPECT_EQ(readFile(dir / "b"), "content");
  writeFile(dir / "a", "newer");
  failureHolding<VFileExistsException>([&] { copyFile(context, w(dir / "a"), w(dir / "b"), true); },
                                       L"at copy file " + w(dir / "a") + L" to " + w(dir / "b"), "copyFile");
  EXPECT_EQ(readFile(dir / "b"), "content");
  copyFile(context, w(dir / "a"), w(dir / "b"), false);
  EXPECT_EQ(readFile(dir / "b"), "newer");

  EXPECT_THROW(copyFile(context, w(dir / "none"), w(dir / "c"), false), VFileNotFoundException);
  EXPECT_FALSE(pathExists(dir / "c"));
  EXPECT_THROW(copyFile(context, w(dir / "a"), w(dir / "./a"), false), VSharingViolationException);
  EXPECT_EQ(readFile(dir / "a"), "newer");

  makeDirectories(dir / "wars/nested/empty");
  writeFile(dir / "wars/a.war", "a");
  writeFile(dir / "wars/nested/b.war", "b");
  copyDirectoryTree(context, w(dir / "wars"), w(dir / "var/tomcat/wars"), false);
  EXPECT_EQ(treeOf(dir / "var/tomcat/wars"), treeOf(dir / "wars"));
  EXPECT_EQ(readFile(dir / "var/tomcat/wars/nested/b.war"), "b");
  EXPECT_EQ(readFile(dir / "wars/a.war"), "a");
  failureHolding<VPathNotFoundException>([&] { copyDirectoryTree(context, w(dir / "none"), w(dir / "copy"), false); },
                                         L"Copy directory '" + w(dir / "none") + L"'", "copyDirectoryTree");
  EXPECT_FALSE(pathExists(dir / "copy"));
}

TEST(WholeFile, WritesAndReadsBytesOverwritesOnlyWhenAskedAndFailuresNameTheFile) {
  TempDir dir;
  const std::string bytes("\xEF\xBB\xBFline\0two\r\n", 13);
  EXPECT_TRUE(writeWholeFile(context, w(dir / "f"), bytes, false));
  EXPECT_EQ(readWholeFile(context, w(dir / "f")), bytes);
  EXPECT_FALSE(writeWholeFile(context, w(dir / "f"), "new", false));
  EXPECT_EQ(readFile(dir / "f"), bytes);
  EXPECT_TRUE(writeWholeFile(context, w(dir / "f"), "short", true));
  EXPECT_EQ(readFile(dir / "f"), "short");

  const std::wstring where = L"Read file '" + w(dir / "none") + L"'";
  EXPECT_EQ(
      failureHolding<VFileNotFoundException>([&] { readWholeFile(context, w(dir / "none")); }, where, "readWholeFile")
          .message(),
      osErrorText(ERROR_FILE_NOT_FOUND, where.c_str()));
  EXPECT_THROW(writeWholeFile(context, w(dir / "none/f"), "x", true), VPathNotFoundException);
  EXPECT_THROW(readWholeFile(context, w(dir.path())), VAccessDeniedException);
}

}  // namespace

}  // namespace wc
