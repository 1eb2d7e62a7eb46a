#include <gtest/gtest.h>

#include "base/errors/os_error.h"
#include "base/files/directory.h"
#include "base/files/file_exist.h"
#include "files_test_support.h"

namespace wc {

using namespace files_test;

namespace {

TEST(FileExist, FileAndDirectoryExistTellTheKindOfAPathAndOtherFailuresThrow) {
  TempDir dir;
  writeFile(dir / "f", "x");
  bool isDirectory = true;
  EXPECT_TRUE(fileExist(w(dir / "f"), &isDirectory));
  EXPECT_FALSE(isDirectory);
  EXPECT_TRUE(fileExist(w(dir.path()), &isDirectory));
  EXPECT_TRUE(isDirectory);
  EXPECT_FALSE(fileExist(w(dir / "missing")));
  EXPECT_FALSE(fileExist(w(dir / "missing/deeper"), &isDirectory));
  EXPECT_FALSE(isDirectory);
  EXPECT_FALSE(fileExist(w(dir / "f/under-a-file")));

  FaultyFileSystem fs;
  fs.failWhen(FsCall::GetAttributes, L"guarded", ERROR_ACCESS_DENIED);
  failureHolding<VAccessDeniedException>([&] { fileExist(w(dir / "guarded")); }, w(dir / "guarded"), "fileExist");
  bool isFile = false;
  EXPECT_FALSE(directoryExist(L"", &isFile));
  EXPECT_TRUE(directoryExist(w(dir / "f"), &isFile));
  EXPECT_TRUE(isFile);
  EXPECT_TRUE(directoryExist(w(dir.path()), &isFile));
  EXPECT_FALSE(isFile);
  EXPECT_FALSE(directoryExist(w(dir / "none")));
}

TEST(CreateDirectory, BuildsTheWholeChainAndAFailureNamesThePathInItsContext) {
  TempDir dir;
  VDirectory::createDirectory(w(dir / "a/b/c/"));
  EXPECT_TRUE(pathExists(dir / "a/b/c"));
  VDirectory::createDirectory(w(dir / "a/b/c"));  // existing: nothing to do
  EXPECT_EQ(
      failureHolding<ArgumentException>([&] { VDirectory::createDirectory(L""); }, L"", "VDirectory::createDirectory")
          .message(),
      L"Unable to create directory with wrong name");
  writeFile(dir / "file", "x");
  EXPECT_THROW(VDirectory::createDirectory(w(dir / "file/sub")), vosexception);

  FaultyFileSystem fs;
  fs.failWhen(FsCall::CreateDirectory, L"/y", ERROR_ACCESS_DENIED);
  const auto e = failureHolding<VAccessDeniedException>([&] { VDirectory::createDirectory(w(dir / "x/y/z")); },
                                                        L"at " + w(dir / "x/y"), "VDirectory::createDirectory");
  EXPECT_EQ(e.callPoints().at(0).context, L"CreateDirectory(" + w(dir / "x/y") + L")");
  EXPECT_TRUE(pathExists(dir / "x"));
  EXPECT_FALSE(pathExists(dir / "x/y"));
}

}  // namespace

}  // namespace wc
