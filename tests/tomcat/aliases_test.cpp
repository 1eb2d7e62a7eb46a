// Adding, removing and renaming host aliases, each with its "www." twin, in
// server.xml and in the connector's URL mounts.

#include "tomcat/tomcat_test_machine.h"

namespace tomcat_test {
namespace {

const char kHostMounts[] =
    "/h.test/Shop=h_test\r\n/h.test/Shop/*=h_test\r\n/www.h.test/Shop=h_test\r\n/www.h.test/Shop/*=h_test\r\n";

// Host h.test with the application Shop started.
class AliasTest : public TomcatTest {
 protected:
  void SetUp() override {
    TomcatTest::SetUp();
    installHostWithArchives("h.test", {"Shop"});
    manager.startWebApp(L"h.test", L"Shop", L"");
    ASSERT_EQ(uriMap(), kHostMounts);
  }
  static std::string hostWith(const std::vector<std::string>& addedAliases) {
    return hcpServerXml(hostXml("h.test", {"www.h.test"}, addedAliases));
  }
};

TEST_F(AliasTest, AddingGivesTheAliasAndItsTwinTheHostsMountsOnce) {
  manager.addAlias(L"h.test", L"a.test", false);
  const std::string mounts = std::string(kHostMounts) +
                             "/a.test/Shop=h_test\r\n/a.test/Shop/*=h_test\r\n"
                             "/www.a.test/Shop=h_test\r\n/www.a.test/Shop/*=h_test\r\n";
  EXPECT_EQ(serverXml(), hostWith({"a.test", "www.a.test"}));
  EXPECT_EQ(uriMap(), mounts);

  manager.addAlias(L"h.test", L"a.test", false);
  EXPECT_EQ(serverXml(), hostWith({"a.test", "www.a.test"}));
  EXPECT_EQ(uriMap(), mounts);
}

TEST_F(AliasTest, RemovingTakesTheMountsOfTheAliasAndItsTwin) {
  manager.addAlias(L"h.test", L"a.test", false);
  manager.addAlias(L"h.test", L"b.test", false);

  // Names in server.xml compare exactly; the mounts are lower case.
  manager.removeAlias(L"h.test", L"A.test", false);
  EXPECT_EQ(serverXml(), hostWith({"a.test", "www.a.test", "b.test", "www.b.test"}));
  const std::string mountsOfB =
      "/b.test/Shop=h_test\r\n/b.test/Shop/*=h_test\r\n"
      "/www.b.test/Shop=h_test\r\n/www.b.test/Shop/*=h_test\r\n";
  EXPECT_EQ(uriMap(), kHostMounts + mountsOfB);

  manager.removeAlias(L"h.test", L"b.test", false);
  EXPECT_EQ(serverXml(), hostWith({"a.test", "www.a.test"}));
  EXPECT_EQ(uriMap(), kHostMounts);
}

TEST_F(AliasTest, RenamingMovesTheAliasTheTwinAndTheirMounts) {
  manager.addAlias(L"h.test", L"a.test", false);
  manager.renameAlias(L"h.test", L"a.test", L"c.test", false);
  EXPECT_EQ(serverXml(), hostWith({"c.test", "www.c.test"}));
  EXPECT_EQ(uriMap(), std::string(kHostMounts) +
                          "/c.test/Shop=h_test\r\n/c.test/Shop/*=h_test\r\n"
                          "/www.c.test/Shop=h_test\r\n/www.c.test/Shop/*=h_test\r\n");
}

}  // namespace
}  // namespace tomcat_test
