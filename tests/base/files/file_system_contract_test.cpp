// The faults that the tests inject with FaultyFileSystem, held to what the
// real file system answers in the situation each fault plays: the same code,
// and nothing changed on disk. A real run makes the situation; a faulty run
// plays it with failWhen on a plain file or directory.

#include <functional>
#include <optional>

#include "base/errors/win_error_codes.h"
#include "base/files/file.h"
#include "base/system/path_separator.h"
#include "base/text/convert.h"
#include "files_test_support.h"

namespace wc {

using namespace files_test;

namespace {

struct Situation {
  const char* name;
  FsCall call;  // what the faulty file system plays it with
  uint32_t code;
  // Makes it real; what it returns lives until the call is done.
  std::function<std::shared_ptr<void>(const std::wstring& file)> arrange;
  std::function<uint32_t(FileSystem&, const std::wstring& file, const std::wstring& dir)> act;
  bool windowsOnly = false;
};

std::shared_ptr<void> nothing(const std::wstring&) { return nullptr; }

std::shared_ptr<void> heldWithoutDeleteSharing(const std::wstring& file) {
  auto held = std::make_shared<File>();
  EXPECT_EQ(0u, held->open(file, FILE_ACCESS_READ, FILE_SHARE_READ_ACCESS, FileDisposition::OpenExisting));
  return held;
}

// POSIX takes no share modes: a file held open is deleted and renamed.
const Situation kSituations[] = {
    {"a file held open without delete sharing is not deleted", FsCall::DeleteFile, ERROR_SHARING_VIOLATION,
     heldWithoutDeleteSharing,
     [](FileSystem& fs, const std::wstring& file, const std::wstring&) { return fs.deleteFile(file); }, true},
    {"a file held open without delete sharing is not moved", FsCall::MoveFile, ERROR_SHARING_VIOLATION,
     heldWithoutDeleteSharing,
     [](FileSystem& fs, const std::wstring& file, const std::wstring&) { return fs.moveFile(file, file + L".new", 0); },
     true},
    {"a read-only file is not deleted", FsCall::DeleteFile, ERROR_ACCESS_DENIED,
     [](const std::wstring& file) {
       EXPECT_EQ(0u, systemFileSystem().setReadOnly(file, true));
       return nullptr;
     },
     [](FileSystem& fs, const std::wstring& file, const std::wstring&) { return fs.deleteFile(file); }},
    {"a directory is not deleted as a file", FsCall::DeleteFile, ERROR_ACCESS_DENIED, nothing,
     [](FileSystem& fs, const std::wstring&, const std::wstring& dir) { return fs.deleteFile(dir); }},
    {"a directory is not read as a file", FsCall::ReadFile, ERROR_ACCESS_DENIED, nothing,
     [](FileSystem& fs, const std::wstring&, const std::wstring& dir) {
       std::string content;
       return fs.readFile(dir, content);
     }},
    {"nothing is written below a missing parent", FsCall::WriteFile, ERROR_PATH_NOT_FOUND, nothing,
     [](FileSystem& fs, const std::wstring&, const std::wstring& dir) {
       return fs.writeFile(dir + L"/missing/new.txt", "x", FileDisposition::CreateAlways, false);
     }},
    {"no directory is made below a missing parent", FsCall::CreateDirectory, ERROR_PATH_NOT_FOUND, nothing,
     [](FileSystem& fs, const std::wstring&, const std::wstring& dir) {
       return fs.createDirectory(dir + L"/missing/new", nullptr);
     }},
    {"an entry below a missing parent has no attributes", FsCall::GetAttributes, ERROR_PATH_NOT_FOUND, nothing,
     [](FileSystem& fs, const std::wstring&, const std::wstring& dir) {
       FileAttributes attributes;
       return fs.getAttributes(dir + L"/missing/new", attributes);
     }},
};

class FileSystemContractTest : public ::testing::TestWithParam<bool> {
 protected:
  bool faulty() const { return GetParam(); }
};

INSTANTIATE_TEST_SUITE_P(, FileSystemContractTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Faulty" : "Real"; });

}  // namespace

TEST_P(FileSystemContractTest, EachFaultAnswersWhatTheRealSituationDoesAndChangesNothing) {
  const bool windows = pathSeparator() == L'\\';
  for (const Situation& s : kSituations) {
    SCOPED_TRACE(s.name);
    if (s.windowsOnly && !windows && !faulty()) continue;
    TempDir dir;
    const std::string file = dir / "file.txt";
    writeFile(file, "content");
    makeDirectories(dir / "directory");
    const std::wstring wfile = wstrLenient(file), wdir = wstrLenient(dir / "directory");
    std::shared_ptr<void> held;
    std::optional<FaultyFileSystem> fs;
    if (faulty()) {
      fs.emplace();
      fs->failWhen(s.call, L"", s.code);
    } else {
      held = s.arrange(wfile);
    }
    const Context context = fs ? testContext(*fs) : machineContext();
    EXPECT_EQ(s.act(*context.files, wfile, wdir), s.code);
    held.reset();
    fs.reset();
    EXPECT_EQ(pathExists(file) ? readFile(file) : "(gone)", "content");
    EXPECT_TRUE(pathExists(dir / "directory"));
    EXPECT_FALSE(pathExists(dir / "directory/missing"));
    EXPECT_FALSE(pathExists(file + ".new"));
    systemFileSystem().setReadOnly(wfile, false);
  }
}

}  // namespace wc
