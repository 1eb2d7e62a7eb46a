#include "base/files/file.h"

#include <gtest/gtest.h>

#include "base/errors/strict_convert.h"
#include "base/errors/win_error_codes.h"
#include "files_test_support.h"
#include "support/under_wine.h"

using namespace files_test;

namespace {

std::string readAll(File& file) {
  std::string content;
  char buffer[7];  // small on purpose: several reads per file
  for (;;) {
    uint32_t got = 0;
    EXPECT_EQ(file.read(buffer, sizeof buffer, got), ERROR_SUCCESS);
    if (got == 0) return content;
    content.append(buffer, got);
  }
}

TEST(File, WritesAndReadsBack) {
  TempDir dir;
  const std::wstring path = wstr(dir / "a.txt");
  File file;
  ASSERT_EQ(file.open(path, FILE_ACCESS_WRITE, 0, FileDisposition::CreateNew), ERROR_SUCCESS);
  EXPECT_TRUE(file.isOpen());
  uint32_t written = 0;
  ASSERT_EQ(file.write("hello, world", 12, written), ERROR_SUCCESS);
  EXPECT_EQ(written, 12u);
  EXPECT_EQ(file.flush(), ERROR_SUCCESS);
  EXPECT_EQ(file.close(), ERROR_SUCCESS);
  EXPECT_FALSE(file.isOpen());

  ASSERT_EQ(file.open(path, FILE_ACCESS_READ, FILE_SHARE_READ_ACCESS, FileDisposition::OpenExisting), ERROR_SUCCESS);
  EXPECT_EQ(readAll(file), "hello, world");
  uint64_t end = 0;
  EXPECT_EQ(file.seekToEnd(end), ERROR_SUCCESS);
  EXPECT_EQ(end, 12u);
}

TEST(File, DispositionsKeepOrDropContent) {
  TempDir dir;
  const std::string name = dir / "a.txt";
  const std::wstring path = wstr(name);
  writeFile(name, "old content");
  File file;
  EXPECT_EQ(file.open(path, FILE_ACCESS_WRITE, 0, FileDisposition::CreateNew), ERROR_FILE_EXISTS);
  EXPECT_FALSE(file.isOpen());
  EXPECT_EQ(readFile(name), "old content");

  ASSERT_EQ(file.open(path, FILE_ACCESS_WRITE, 0, FileDisposition::OpenAlways), ERROR_SUCCESS);
  uint64_t end = 0;
  ASSERT_EQ(file.seekToEnd(end), ERROR_SUCCESS);
  uint32_t written = 0;
  ASSERT_EQ(file.write("!", 1, written), ERROR_SUCCESS);
  file.close();
  EXPECT_EQ(readFile(name), "old content!");

  ASSERT_EQ(file.open(path, FILE_ACCESS_WRITE, 0, FileDisposition::TruncateExisting), ERROR_SUCCESS);
  file.close();
  EXPECT_EQ(readFile(name), "");

  writeFile(name, "again");
  ASSERT_EQ(file.open(path, FILE_ACCESS_READ | FILE_ACCESS_WRITE, 0, FileDisposition::CreateAlways), ERROR_SUCCESS);
  EXPECT_EQ(readAll(file), "");
}

TEST(File, MissingFileOrDirectoryGivesTheWindowsCode) {
  TempDir dir;
  File file;
  EXPECT_EQ(file.open(wstr(dir / "none.txt"), FILE_ACCESS_READ, 0, FileDisposition::OpenExisting),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(file.open(wstr(dir / "nodir/none.txt"), FILE_ACCESS_READ, 0, FileDisposition::OpenExisting),
            ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(file.open(wstr(dir / "nodir/new.txt"), FILE_ACCESS_WRITE, 0, FileDisposition::CreateAlways),
            ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(file.open(wstr(dir / "none.txt"), FILE_ACCESS_WRITE, 0, FileDisposition::TruncateExisting),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(file.open(L"", FILE_ACCESS_READ, 0, FileDisposition::OpenExisting), ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(pathExists(dir / "none.txt"));
}

TEST(File, RefusesDirectoriesAndWritesToReadOnlyFiles) {
  TempDir dir;
  File file;
  EXPECT_EQ(file.open(wstr(dir.path()), FILE_ACCESS_READ, 0, FileDisposition::OpenExisting), ERROR_ACCESS_DENIED);

  const std::string name = dir / "ro.txt";
  writeFile(name, "keep");
  makeReadOnly(name);
  ASSERT_EQ(file.open(wstr(name), FILE_ACCESS_READ, 0, FileDisposition::OpenExisting), ERROR_SUCCESS);
  EXPECT_EQ(readAll(file), "keep");
  file.close();
  WC_SKIP_UNDER_WINE("a read-only file opens for writing (kept as Unix write bits, which root is not held to)");
  EXPECT_EQ(file.open(wstr(name), FILE_ACCESS_WRITE, 0, FileDisposition::CreateAlways), ERROR_ACCESS_DENIED);
  EXPECT_EQ(readFile(name), "keep");
}

TEST(File, CallsOutsideTheAccessOrOnAClosedFileFail) {
  TempDir dir;
  const std::string name = dir / "a.txt";
  writeFile(name, "abc");
  File file;
  uint32_t n = 0;
  char buffer[4];
  EXPECT_EQ(file.read(buffer, sizeof buffer, n), ERROR_INVALID_HANDLE);
  EXPECT_EQ(file.write("x", 1, n), ERROR_INVALID_HANDLE);
  ASSERT_EQ(file.open(wstr(name), FILE_ACCESS_READ, FILE_SHARE_READ_ACCESS, FileDisposition::OpenExisting),
            ERROR_SUCCESS);
  EXPECT_EQ(file.write("x", 1, n), ERROR_ACCESS_DENIED);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(readFile(name), "abc");
}

TEST(File, MovesOwnership) {
  TempDir dir;
  const std::string name = dir / "a.txt";
  File first;
  ASSERT_EQ(first.open(wstr(name), FILE_ACCESS_WRITE, 0, FileDisposition::CreateAlways), ERROR_SUCCESS);
  File second(std::move(first));
  EXPECT_FALSE(first.isOpen());
  ASSERT_TRUE(second.isOpen());
  uint32_t n = 0;
  EXPECT_EQ(second.write("moved", 5, n), ERROR_SUCCESS);
  File third;
  third = std::move(second);
  EXPECT_EQ(third.close(), ERROR_SUCCESS);
  EXPECT_EQ(readFile(name), "moved");
}

}  // namespace
