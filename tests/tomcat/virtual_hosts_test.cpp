// Adding, removing and renaming virtual hosts: the Host element, the host's
// worker and mounts, and its directories and realm file.

#include "tomcat/tomcat_test_machine.h"

namespace wc {

namespace tomcat_test {
namespace {

// The realm file, the archive directory and the application base of a host.
std::vector<std::string> filesOf(const std::string& host) {
  return {home("hcp-users/" + host + ".xml"), var("hcp-wars/" + host), var("hcp-webapps/" + host)};
}

TEST_F(TomcatTest, RemoveVHostTakesTheHostAndWorkerRemoveServiceTheFiles) {
  install("h.test", "");
  install("k.test", "");

  manager.removeVHost(L"h.test");
  EXPECT_EQ(serverXml(), hcpServerXml(hostXml("k.test", {})));
  EXPECT_EQ(workers(), workersOf("k.test"));
  EXPECT_TRUE(pathExists(home("hcp-users/h.test.xml")));

  manager.removeService(L"h.test");
  for (const std::string& gone : filesOf("h.test")) EXPECT_FALSE(pathExists(gone)) << gone;
  EXPECT_TRUE(pathExists(home("hcp-users/k.test.xml")));
  // Nothing left to remove is no error.
  manager.removeService(L"h.test");
}

// Windows editors begin a UTF-8 file with a byte-order mark: it is skipped,
// and the first alias is read as written.
TEST_F(TomcatTest, AnAliasesFileMayBeginWithAByteOrderMark) {
  install("h.test", "\xEF\xBB\xBFm.test;n.test\r\n");
  EXPECT_EQ(serverXml(), hcpServerXml(hostXml("h.test", {"m.test", "n.test"})));
}

TEST_F(TomcatTest, RenameVHostMovesTheHostItsFilesWorkerAndMounts) {
  install("o.test", "m.test", {"app"});
  const std::wstring aliases = aliasesFile("m.test");
  manager.startWebApp(L"o.test", L"app", aliases);

  manager.renameVHost(L"o.test", L"n.test", aliases);
  EXPECT_EQ(serverXml(), hcpServerXml(hostXml("n.test", {"m.test"})));
  EXPECT_EQ(workers(), workersOf("n.test"));
  EXPECT_EQ(uriMap(), mounts("app", "n.test", {"n.test", "m.test"}));
  EXPECT_NE(realm("n.test").find("username=\"admin\""), std::string::npos);
  EXPECT_EQ(readFile(var("hcp-webapps/n.test/app.war")), "PK app");
  EXPECT_TRUE(pathExists(var("hcp-wars/n.test/app.war")));
  for (const std::string& gone : filesOf("o.test")) EXPECT_FALSE(pathExists(gone)) << gone;
}

// Without the HCP Engine (a hand edit renamed it) the alias edits and the
// rename end at once: the redirector files and the host's directories stay.
TEST_F(TomcatTest, WithoutTheHcpEngineAliasEditsAndTheRenameChangeNothing) {
  install("o.test", "m.test", {"app"});
  manager.startWebApp(L"o.test", L"app", aliasesFile("m.test"));
  std::string edited = serverXml();
  edited.replace(edited.find("<Engine name=\"HCP\""), 18, "<Engine name=\"Own\"");
  testing_support::writeFile(home("conf/server.xml"), edited);
  const std::string workersBefore = workers();
  const std::string mountsBefore = uriMap();

  manager.addAlias(L"o.test", L"n.test", false);
  manager.removeAlias(L"o.test", L"m.test", false);
  manager.renameVHost(L"o.test", L"p.test", L"");
  EXPECT_EQ(serverXml(), edited);
  EXPECT_EQ(workers(), workersBefore);
  EXPECT_EQ(uriMap(), mountsBefore);
  EXPECT_TRUE(pathExists(var("hcp-webapps/o.test/app.war")));
}

TEST_F(TomcatTest, RenameVHostOntoAHostKeepsTheRenamedOneAndOntoItselfChangesNothing) {
  install("o.test", "kept.test");
  manager.installService(L"k.test", L"other", L"x", L"9080", L"9008");
  manager.installVHost(L"k.test", aliasesFile("lost.test"));

  manager.renameVHost(L"o.test", L"k.test", L"");
  EXPECT_EQ(serverXml(), hcpServerXml(hostXml("k.test", {"kept.test"})));
  EXPECT_NE(realm("k.test").find("username=\"admin\""), std::string::npos);

  const std::string xml = serverXml(), workersBefore = workers();
  manager.renameVHost(L"k.test", L"k.test", L"");
  EXPECT_EQ(serverXml(), xml);
  EXPECT_EQ(workers(), workersBefore);
  for (const std::string& kept : filesOf("k.test")) EXPECT_TRUE(pathExists(kept)) << kept;
}

}  // namespace
}  // namespace tomcat_test

}  // namespace wc
