// What Windows does differently from POSIX, which every file helper the
// commands use must survive: paths longer than MAX_PATH (260), and names
// that differ only in letter case. On POSIX both are ordinary.

#include <gtest/gtest.h>

#include "base/files/atomic_write.h"
#include "base/files/copy.h"
#include "base/files/directory.h"
#include "base/files/file_exist.h"
#include "base/files/file_name.h"
#include "base/files/find_file_names.h"
#include "base/files/remove.h"
#include "base/files/rename.h"
#include "base/files/whole_file.h"
#include "files_test_support.h"

namespace wc {

using namespace files_test;

namespace {

std::vector<std::wstring> namesIn(const std::wstring& directory) {
  std::vector<std::wstring> names;
  for (const FoundName& found : findFileNames(context, directory, L"*")) names.push_back(found.name);
  return names;
}

TEST(LongPaths, EveryHelperTakesAPathLongerThanMaxPath) {
  Sandbox sandbox;
  std::wstring deep = native(sandbox.path("long"));
  for (int i = 0; i < 6; ++i) deep += native("/" + std::string(50, static_cast<char>('a' + i)));
  ASSERT_GT(deep.size(), 300u);
  VDirectory::createDirectory(context, deep);
  bool isDirectory = false;
  ASSERT_TRUE(fileExist(context, deep, &isDirectory));
  EXPECT_TRUE(isDirectory);

  const std::wstring file = deep + native("/server.xml");
  EXPECT_TRUE(writeWholeFile(context, file, "one", true));
  replaceFileAtomically(context, file, "two");
  EXPECT_EQ(readWholeFile(context, file), "two");
  copyFile(context, file, deep + native("/copy.xml"), true);
  renameFile(context, deep + native("/copy.xml"), deep + native("/moved.xml"), 1);
  EXPECT_EQ(namesIn(deep), (std::vector<std::wstring>{L"moved.xml", L"server.xml"}));
  removeFile(context, deep + native("/moved.xml"), false);
  EXPECT_FALSE(fileExist(context, deep + native("/moved.xml")));

  const std::wstring moved = VFileName::parent(deep) + native("/renamed");
  renameDir(context, deep, moved, false);
  EXPECT_FALSE(fileExist(context, deep));
  EXPECT_EQ(readWholeFile(context, moved + native("/server.xml")), "two");
  removeDir(context, native(sandbox.path("long")), true);
  EXPECT_FALSE(fileExist(context, native(sandbox.path("long"))));
}

TEST(LetterCase, ARenameThatOnlyChangesTheCaseRenames) {
  TempDir dir;
  writeFile(dir / "a.war", "archive");
  renameFile(context, w(dir / "a.war"), w(dir / "A.war"), 1);
  EXPECT_EQ(treeOf(dir.path()), std::vector<std::string>{"A.war"});
  EXPECT_EQ(readFile(dir / "A.war"), "archive");

  makeDirectories(dir / "host/shop");
  renameDir(context, w(dir / "host"), w(dir / "Host"), false);
  EXPECT_EQ(treeOf(dir.path()), (std::vector<std::string>{"A.war", "Host/", "Host/shop/"}));
}

}  // namespace

}  // namespace wc
