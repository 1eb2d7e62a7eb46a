#include "base/files/same_file.h"

#include <gtest/gtest.h>

#include "base/files/copy.h"
#include "base/files/vfile.h"
#include "files_test_support.h"

namespace wc {

using namespace files_test;

namespace {

TEST(SameFile, AHardLinkIsTheFileACopyIsNotAMissingFileIsNoneAndABadNameThrows) {
  TempDir dir;
  makeDirectories(dir / "wars");
  makeDirectories(dir / "webapps");
  writeFile(dir / "wars/shop.war", "PK archive");
  VFile::createHardLink(context, w(dir / "webapps/shop.war"), w(dir / "wars/shop.war"));
  copyFile(context, w(dir / "wars/shop.war"), w(dir / "webapps/copy.war"), true);

  EXPECT_TRUE(sameFile(w(dir / "webapps/shop.war"), w(dir / "wars/shop.war")));
  EXPECT_TRUE(sameFile(w(dir / "wars/shop.war"), w(dir / "webapps/../wars/shop.war")));
  EXPECT_FALSE(sameFile(w(dir / "webapps/copy.war"), w(dir / "wars/shop.war")));
  EXPECT_TRUE(sameFile(w(dir / "webapps"), w(dir / "webapps/")));
  EXPECT_FALSE(sameFile(w(dir / "webapps"), w(dir / "wars")));
  EXPECT_EQ(fileIdentity(w(dir / "webapps/copy.war")).value().size, 10u);

  // Writing through one name changes the file behind both.
  writeFile(dir / "webapps/shop.war", "PK new archive");
  EXPECT_EQ(fileIdentity(w(dir / "wars/shop.war")).value().size, 14u);
  EXPECT_TRUE(sameFile(w(dir / "webapps/shop.war"), w(dir / "wars/shop.war")));

  EXPECT_FALSE(fileIdentity(w(dir / "wars/none.war")));
  EXPECT_FALSE(fileIdentity(w(dir / "none/shop.war")));
  EXPECT_FALSE(sameFile(w(dir / "wars/none.war"), w(dir / "wars/none.war")));
  EXPECT_FALSE(sameFile(w(dir / "wars/shop.war"), w(dir / "none/shop.war")));
  failureHolding([&] { fileIdentity(w(dir.path()) + std::wstring(1, L'\0') + L"x"); }, w(dir.path()), "fileIdentity");
}

}  // namespace

}  // namespace wc
