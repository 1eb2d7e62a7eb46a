#include <gtest/gtest.h>

#include "base/errors/os_error.h"
#include "base/errors/win_error_codes.h"
#include "base/files/copy.h"
#include "base/files/file.h"
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

// The fallback of a save whose file another process holds open without
// delete sharing: the bytes go into that very file, which its holder reads.
TEST(WholeFile, WriteFileFromWritesInPlaceAPieceAtATimeAndAMissingSourceTouchesNothing) {
  TempDir dir;
  std::string bytes;
  for (int i = 0; bytes.size() < (5u << 19) + 3; ++i) bytes += "line " + std::to_string(i) + "\r\n";
  writeFile(dir / "new", bytes);
  writeFile(dir / "held", "old");
  File holder;
  ASSERT_EQ(holder.open(w(dir / "held"), FILE_ACCESS_READ, FILE_SHARE_READ_ACCESS | FILE_SHARE_WRITE_ACCESS,
                        FileDisposition::OpenExisting),
            0u);
  ASSERT_EQ(context.files->writeFileFrom(w(dir / "held"), w(dir / "new")), 0u);
  EXPECT_EQ(readFile(dir / "held"), bytes);
  std::string seen(bytes.size(), '\0');
  uint32_t got = 0;
  ASSERT_EQ(holder.readAt(0, seen.data(), static_cast<uint32_t>(seen.size()), got), 0u);
  EXPECT_EQ(seen.substr(0, got), bytes);

  EXPECT_EQ(context.files->writeFileFrom(w(dir / "held"), w(dir / "none")), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(readFile(dir / "held"), bytes);
}

}  // namespace

}  // namespace wc
