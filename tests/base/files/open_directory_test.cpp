// Looks under a directory held open answer as the same looks by full path.

#include "base/files/open_directory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/errors/os_error.h"
#include "base/files/file_name.h"
#include "base/files/find_file_names.h"
#include "base/files/vfile.h"
#include "files_test_support.h"

namespace wc {

using namespace files_test;

namespace {

// What a listing gives, in an order of its own.
std::vector<std::wstring> namesOf(std::vector<DirectoryEntry> entries) {
  std::vector<std::wstring> names;
  for (const DirectoryEntry& entry : entries) {
    names.push_back(entry.name + (entry.directory ? L"/" : L"") + L" " + std::to_wstring(entry.fileNumber != 0));
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(OpenDirectory, ListingsAndIdentitiesAreThoseOfTheJoinedPaths) {
  TempDir dir;
  makeDirectories(dir / "wars/a.test/sub");
  writeFile(dir / "wars/a.test/shop.war", "PK archive");
  VFile::createHardLink(context, w(dir / "wars/a.test/link.war"), w(dir / "wars/a.test/shop.war"));
  // The second one cannot be opened: its looks go by full path.
  for (const std::wstring& base : {w(dir / "wars"), w(dir / "none")}) {
    const OpenDirectory open(context, base);
    for (const wchar_t* relative : {L"a.test", L"none", L"a.test/shop.war"}) {
      std::vector<DirectoryEntry> byHandle;
      std::vector<DirectoryEntry> byPath;
      EXPECT_EQ(open.listDirectory(relative, byHandle), context.files->listDirectory(open.pathOf(relative), byPath))
          << relative;
      EXPECT_EQ(namesOf(byHandle), namesOf(byPath)) << relative;
    }
    for (const wchar_t* relative : {L"a.test/shop.war", L"a.test/link.war", L"a.test/none", L"none/x"}) {
      FileIdentity byHandle;
      FileIdentity byPath;
      EXPECT_EQ(open.readFileIdentity(relative, byHandle), readFileIdentity(open.pathOf(relative), byPath)) << relative;
      EXPECT_TRUE(byHandle.isSameFileAs(byPath) && byHandle.size == byPath.size) << relative;
    }
  }
  const OpenDirectory wars(context, w(dir / "wars"));
  EXPECT_TRUE(fileIdentity(wars, L"a.test/link.war")->isSameFileAs(*fileIdentity(wars, L"a.test/shop.war")));
  EXPECT_FALSE(fileIdentity(wars, L"a.test/none.war"));
  EXPECT_EQ(findFileNames(wars, L"a.test", L"*.war").size(), 2u);
  failureHolding<VPathNotFoundException>([&] { findFileNames(wars, L"b.test", L"*.war"); },
                                         L"List directory '" + VFileName::combine(w(dir / "wars"), L"b.test") + L"'",
                                         "findFileNames");
}

}  // namespace

}  // namespace wc
