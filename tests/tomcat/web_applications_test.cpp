// Starting, stopping, removing and listing a host's web applications (the
// started link, the URL mounts, the registrations for deferred removal), and
// the mounts of the host's aliases, each with its "www." twin.

#include <algorithm>

#include "base/files/find_file_names.h"
#include "base/text/strings.h"
#include "tomcat/tomcat_test_machine.h"

namespace wc {

namespace tomcat_test {
namespace {

// Host h.test with the archives Shop and Blog% deployed.
class WebAppTest : public TomcatTest {
 protected:
  void SetUp() override {
    TomcatTest::SetUp();
    install("h.test", "", {"Shop", "Blog%"});
  }
  std::vector<std::wstring> sortedList(bool startedOnly) {
    std::vector<std::wstring> names = manager.getWebAppList(L"h.test", startedOnly);
    std::sort(names.begin(), names.end());
    return names;
  }
  // Whether the deferred removal holds `path`.
  static bool registered(const std::string& path) {
    return removalStorage().find("URI=\"" + nativePath(path) + "\"") != std::string::npos;
  }
  // server.xml and Shop's mounts with these aliases added to the host.
  void expectAliases(std::vector<std::string> aliases) {
    EXPECT_EQ(serverXml(), hcpServerXml(hostXml("h.test", {}, aliases)));
    aliases.insert(aliases.begin(), "h.test");
    EXPECT_EQ(uriMap(), mounts("Shop", "h.test", aliases));
  }
  const std::string link = var("hcp-webapps/h.test/Shop.war");
};

TEST_F(WebAppTest, StartingLinksTheArchiveAndMountsItForEveryNameOnce) {
  EXPECT_EQ(failureOf([&] { manager.startWebApp(L"h.test", L"x", L""); }).message(),
            L"Application 'x' is not deployed");
  EXPECT_FALSE(pathExists(var("hcp-webapps/h.test/x.war")));

  const std::wstring aliases = aliasesFile("x.test");
  manager.startWebApp(L"h.test", L"Shop", aliases);
  manager.startWebApp(L"h.test", L"Shop", aliases);
  EXPECT_EQ(readFile(link), "PK Shop");
  EXPECT_EQ(uriMap(), mounts("Shop", "h.test", {"h.test", "x.test"}));
  EXPECT_EQ(sortedList(false), (std::vector<std::wstring>{L"Blog%", L"Shop"}));
  EXPECT_EQ(sortedList(true), std::vector<std::wstring>{L"Shop"});
}

// The names come in the order the directory listing gives them, without a
// sort: with enough names the listing differs from any sort of them.
TEST_F(WebAppTest, TheListKeepsTheOrderOfTheDirectoryListing) {
  for (const char* name : {"b", "C", "a", "d2", "D1", "e", "_f", "G", "h", "I"})
    testing_support::writeFile(var("hcp-wars/h.test/") + name + ".war", "archive");
  std::vector<std::wstring> listed;
  for (const FoundName& found : findFileNames(context, w(var("hcp-wars/h.test")), L"*.war", NameOrder::AsListed))
    listed.push_back(found.name.substr(0, found.name.size() - 4));
  const std::vector<std::wstring> list = manager.getWebAppList(L"h.test", false);
  EXPECT_EQ(list, listed);
  auto sortedBy = [list](auto key) {
    std::vector<std::wstring> sorted = list;
    std::sort(sorted.begin(), sorted.end(), [&](const auto& a, const auto& b) { return key(a) < key(b); });
    return sorted;
  };
  if (list == sortedBy([](const std::wstring& s) { return s; }) || list == sortedBy(lowerCase))
    GTEST_SKIP() << "this file system lists names sorted";
}

TEST_F(WebAppTest, StoppingTakesTheMountsAndRegistersTheLink) {
  manager.stopWebApp(L"h.test", L"Shop", L"");
  EXPECT_EQ(removalStorage(), "") << "a link never made is not registered";
  const std::wstring aliases = aliasesFile("x.test");
  manager.startWebApp(L"h.test", L"Blog%", L"");
  manager.startWebApp(L"h.test", L"Shop", aliases);

  manager.stopWebApp(L"h.test", L"Shop", aliases);
  EXPECT_EQ(uriMap(), mounts("Blog%", "h.test", {"h.test"}));
  EXPECT_TRUE(registered(link)) << removalStorage();
  // Tomcat may hold the link: it goes when the service stops.
  EXPECT_TRUE(pathExists(link));
}

TEST_F(WebAppTest, RemovingRegistersTheArchiveAndTheWorkDirectory) {
  manager.startWebApp(L"h.test", L"Shop", L"");
  testing_support::makeDirectories(home("work/HCP/h.test/Shop"));
  manager.removeWebApp(L"h.test", L"Shop", L"");
  EXPECT_EQ(uriMap(), "");
  for (const std::string& path : {link, var("hcp-wars/h.test/Shop.war"), home("work/HCP/h.test/Shop")})
    EXPECT_TRUE(registered(path)) << path << "\n" << removalStorage();
  EXPECT_NE(removalStorage().find("Service=\"TestTomcat\""), std::string::npos);
  // Registered, not gone: listed until the removal runs.
  EXPECT_EQ(sortedList(false), (std::vector<std::wstring>{L"Blog%", L"Shop"}));
}

TEST_F(WebAppTest, AliasesGetTheMountsOnceRenamingMovesThemAndRemovingTakesTheTwinAndTheirMounts) {
  manager.startWebApp(L"h.test", L"Shop", L"");
  manager.addAlias(L"h.test", L"a.test", false);
  manager.addAlias(L"h.test", L"a.test", false);
  expectAliases({"a.test"});
  manager.renameAlias(L"h.test", L"a.test", L"c.test", false);
  expectAliases({"c.test"});
  manager.addAlias(L"h.test", L"b.test", false);
  manager.removeAlias(L"h.test", L"b.test", false);
  expectAliases({"c.test"});

  // Names in server.xml compare exactly; the mounts are lower case.
  manager.removeAlias(L"h.test", L"C.test", false);
  EXPECT_EQ(serverXml(), hcpServerXml(hostXml("h.test", {}, {"c.test"})));
  EXPECT_EQ(uriMap(), mounts("Shop", "h.test", {"h.test"}));
}

}  // namespace
}  // namespace tomcat_test

}  // namespace wc
