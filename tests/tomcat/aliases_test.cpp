// Adding, removing and renaming host aliases, each with its "www." twin, in
// server.xml and in the connector's URL mounts.

#include "tomcat/tomcat_test_machine.h"

namespace tomcat_test {
namespace {

// Host h.test with the application Shop started.
class AliasTest : public TomcatTest {
 protected:
  void SetUp() override {
    TomcatTest::SetUp();
    install("h.test", "", {"Shop"});
    manager.startWebApp(L"h.test", L"Shop", L"");
  }
  // server.xml and the mounts with these aliases added to the host.
  void expectAliases(const std::vector<std::string>& aliases) {
    EXPECT_EQ(serverXml(), hcpServerXml(hostXml("h.test", {}, aliases)));
    std::vector<std::string> names = aliases;
    names.insert(names.begin(), "h.test");
    EXPECT_EQ(uriMap(), mounts("Shop", "h.test", names));
  }
};

TEST_F(AliasTest, AddingGivesTheAliasAndItsTwinTheHostsMountsOnce) {
  manager.addAlias(L"h.test", L"a.test", false);
  expectAliases({"a.test"});
  manager.addAlias(L"h.test", L"a.test", false);
  expectAliases({"a.test"});
}

TEST_F(AliasTest, RemovingTakesTheAliasTheTwinAndTheirMounts) {
  manager.addAlias(L"h.test", L"a.test", false);
  manager.addAlias(L"h.test", L"b.test", false);
  manager.removeAlias(L"h.test", L"b.test", false);
  expectAliases({"a.test"});

  // Names in server.xml compare exactly; the mounts are lower case.
  manager.removeAlias(L"h.test", L"A.test", false);
  EXPECT_EQ(serverXml(), hcpServerXml(hostXml("h.test", {}, {"a.test"})));
  EXPECT_EQ(uriMap(), mounts("Shop", "h.test", {"h.test"}));
}

TEST_F(AliasTest, RenamingMovesTheAliasTheTwinAndTheirMounts) {
  manager.addAlias(L"h.test", L"a.test", false);
  manager.renameAlias(L"h.test", L"a.test", L"c.test", false);
  expectAliases({"c.test"});
}

}  // namespace
}  // namespace tomcat_test
