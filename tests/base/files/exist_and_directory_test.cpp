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
  EXPECT_TRUE(fileExist(context, w(dir / "f"), &isDirectory));
  EXPECT_FALSE(isDirectory);
  EXPECT_TRUE(fileExist(context, w(dir.path()), &isDirectory));
  EXPECT_TRUE(isDirectory);
  EXPECT_FALSE(fileExist(context, w(dir / "missing")));
  EXPECT_FALSE(fileExist(context, w(dir / "missing/deeper"), &isDirectory));
  EXPECT_FALSE(isDirectory);
  EXPECT_FALSE(fileExist(context, w(dir / "f/under-a-file")));

  FaultyFileSystem fs;
  const Context context = testContext(fs);
  fs.failWhen(FsCall::GetAttributes, L"guarded", ERROR_ACCESS_DENIED);
  failureHolding<VAccessDeniedException>([&] { fileExist(context, w(dir / "guarded")); }, w(dir / "guarded"),
                                         "fileExist");
  bool isFile = false;
  EXPECT_FALSE(directoryExist(context, L"", &isFile));
  EXPECT_TRUE(directoryExist(context, w(dir / "f"), &isFile));
  EXPECT_TRUE(isFile);
  EXPECT_TRUE(directoryExist(context, w(dir.path()), &isFile));
  EXPECT_FALSE(isFile);
  EXPECT_FALSE(directoryExist(context, w(dir / "none")));
}

TEST(CreateDirectory, BuildsTheWholeChainAndAFailureNamesThePathInItsContext) {
  TempDir dir;
  VDirectory::createDirectory(context, w(dir / "a/b/c/"));
  EXPECT_TRUE(pathExists(dir / "a/b/c"));
  VDirectory::createDirectory(context, w(dir / "a/b/c"));  // existing: nothing to do
  EXPECT_EQ(failureHolding<ArgumentException>([&] { VDirectory::createDirectory(context, L""); }, L"",
                                              "VDirectory::createDirectory")
                .message(),
            L"Unable to create directory with wrong name");
  writeFile(dir / "file", "x");
  EXPECT_THROW(VDirectory::createDirectory(context, w(dir / "file/sub")), vosexception);

  FaultyFileSystem fs;
  const Context context = testContext(fs);
  fs.failWhen(FsCall::CreateDirectory, L"/y", ERROR_ACCESS_DENIED);
  const auto e = failureHolding<VAccessDeniedException>([&] { VDirectory::createDirectory(context, w(dir / "x/y/z")); },
                                                        L"at " + w(dir / "x/y"), "VDirectory::createDirectory");
  EXPECT_EQ(e.callPoints().at(0).context, L"CreateDirectory(" + w(dir / "x/y") + L")");
  EXPECT_TRUE(pathExists(dir / "x"));
  EXPECT_FALSE(pathExists(dir / "x/y"));
}

}  // namespace

}  // namespace wc
