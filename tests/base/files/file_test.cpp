#include "base/files/file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>

#include "base/errors/win_error_codes.h"
#include "files_test_support.h"
#include "support/under_wine.h"

namespace wc {

using namespace files_test;

namespace {

std::string readAll(File& file) {
  std::string content;
  char buffer[7];  // small on purpose: several reads per file
  for (uint32_t got = 1; got > 0;) {
    EXPECT_EQ(file.read(buffer, sizeof buffer, got), ERROR_SUCCESS);
    content.append(buffer, got);
  }
  return content;
}

TEST(File, DispositionsCreateKeepOrDropContentAndMissingPathsGiveTheWindowsCodes) {
  TempDir dir;
  using D = FileDisposition;
  const struct {
    const char* before;  // null: no such file
    FileDisposition disposition;
    const char* name;
    uint32_t code;
    const char* after;  // the content once "!" was written at the end
  } cases[] = {
      {nullptr, D::CreateNew, "a", ERROR_SUCCESS, "!"},
      {"old", D::CreateNew, "a", ERROR_FILE_EXISTS, "old"},
      {"old", D::OpenAlways, "a", ERROR_SUCCESS, "old!"},
      {nullptr, D::OpenAlways, "a", ERROR_SUCCESS, "!"},
      {"old", D::OpenExisting, "a", ERROR_SUCCESS, "old!"},
      {"old", D::TruncateExisting, "a", ERROR_SUCCESS, "!"},
      {"old", D::CreateAlways, "a", ERROR_SUCCESS, "!"},
      {nullptr, D::OpenExisting, "a", ERROR_FILE_NOT_FOUND, nullptr},
      {nullptr, D::TruncateExisting, "a", ERROR_FILE_NOT_FOUND, nullptr},
      {nullptr, D::OpenExisting, "nodir/a", ERROR_PATH_NOT_FOUND, nullptr},
      {nullptr, D::CreateAlways, "nodir/a", ERROR_PATH_NOT_FOUND, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(c.disposition) << " " << c.name);
    std::remove((dir / "a").c_str());
    if (c.before) writeFile(dir / "a", c.before);
    File file;
    ASSERT_EQ(file.open(w(dir / c.name), FILE_ACCESS_WRITE, 0, c.disposition), c.code);
    EXPECT_EQ(file.isOpen(), c.code == ERROR_SUCCESS);
    uint64_t end = 0;
    uint32_t written = 0;
    if (file.isOpen()) {
      EXPECT_EQ(file.seekToEnd(end) | file.write("!", 1, written) | file.flush() | file.close(), ERROR_SUCCESS);
      EXPECT_FALSE(file.isOpen());
    }
    EXPECT_EQ(pathExists(dir / "a") ? readFile(dir / "a") : "<none>", c.after ? c.after : "<none>");
  }
  File file;
  EXPECT_EQ(file.open(L"", FILE_ACCESS_READ, 0, D::OpenExisting), ERROR_PATH_NOT_FOUND);
}

TEST(File, ReadsWhatWasWrittenAndMovesOwnership) {
  TempDir dir;
  File first;
  ASSERT_EQ(first.open(w(dir / "a"), FILE_ACCESS_READ | FILE_ACCESS_WRITE, 0, FileDisposition::CreateAlways), 0u);
  uint32_t n = 0;
  EXPECT_EQ(first.write("hello, world", 12, n), ERROR_SUCCESS);
  EXPECT_EQ(n, 12u);
  File second(std::move(first));
  EXPECT_FALSE(first.isOpen());
  File third;
  third = std::move(second);
  EXPECT_EQ(third.close(), ERROR_SUCCESS);
  ASSERT_EQ(third.open(w(dir / "a"), FILE_ACCESS_READ, FILE_SHARE_READ_ACCESS, FileDisposition::OpenExisting), 0u);
  EXPECT_EQ(readAll(third), "hello, world");
  uint64_t end = 0;
  EXPECT_EQ(third.seekToEnd(end), ERROR_SUCCESS);
  EXPECT_EQ(end, 12u);
  // The open file tells the identity that a look at its path tells.
  FileIdentity opened;
  FileIdentity looked;
  ASSERT_EQ(third.identity(opened), ERROR_SUCCESS);
  ASSERT_EQ(readFileIdentity(w(dir / "a"), looked), ERROR_SUCCESS);
  EXPECT_TRUE(opened.isSameFileAs(looked));
  EXPECT_EQ(opened.size, 12u);
  // Positioned reads, wherever the file position is: fewer bytes only at the end.
  char part[6];
  for (const auto& [at, expected] : {std::pair{7u, "world"}, {0u, "hello,"}, {12u, ""}, {40u, ""}}) {
    EXPECT_EQ(third.readAt(at, part, sizeof part, n), ERROR_SUCCESS);
    EXPECT_EQ(std::string(part, n), expected);
  }
  third.close();
  EXPECT_EQ(third.identity(opened), ERROR_INVALID_HANDLE);
}

TEST(File, CallsOutsideTheAccessOnAClosedFileOrADirectoryFailAndAReadOnlyFileIsNotWritten) {
  TempDir dir;
  writeFile(dir / "ro.txt", "keep");
  File file;
  uint32_t n = 0;
  char buffer[4];
  EXPECT_EQ(file.read(buffer, sizeof buffer, n), ERROR_INVALID_HANDLE);
  EXPECT_EQ(file.readAt(0, buffer, sizeof buffer, n), ERROR_INVALID_HANDLE);
  EXPECT_EQ(file.write("x", 1, n), ERROR_INVALID_HANDLE);
  EXPECT_EQ(file.open(w(dir.path()), FILE_ACCESS_READ, 0, FileDisposition::OpenExisting), ERROR_ACCESS_DENIED);
  makeReadOnly(dir / "ro.txt");
  ASSERT_EQ(file.open(w(dir / "ro.txt"), FILE_ACCESS_READ, FILE_SHARE_READ_ACCESS, FileDisposition::OpenExisting), 0u);
  EXPECT_EQ(file.write("x", 1, n), ERROR_ACCESS_DENIED);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(readAll(file), "keep");
  file.close();
  WC_SKIP_UNDER_WINE("a read-only file opens for writing (kept as Unix write bits, which root is not held to)");
  EXPECT_EQ(file.open(w(dir / "ro.txt"), FILE_ACCESS_WRITE, 0, FileDisposition::CreateAlways), ERROR_ACCESS_DENIED);
  EXPECT_EQ(readFile(dir / "ro.txt"), "keep");
}

}  // namespace

}  // namespace wc
