// Adding, removing and renaming virtual hosts: the Host element, the host's
// worker and mounts, and its directories and realm file.

#include "tomcat/tomcat_test_machine.h"

namespace tomcat_test {
namespace {

const char kWorkersOfK[] =
    "worker.list=ajp13,k_test\r\nworker.k_test.port=9008\r\nworker.k_test.host=127.0.0.1\r\n"
    "worker.k_test.type=ajp13\r\nworker.k_test.lbfactor=1\r\n";

TEST_F(TomcatTest, InstallVHostWithoutTheHcpEngineFailsAndChangesNothing) {
  manager.updateIsapiRedirectPropertiesFile();
  EXPECT_EQ(failureOf([&] { manager.installVHost(L"h.test", L""); }).message(), L"Can't find Engine HCP");
  EXPECT_EQ(serverXml(), kStockServerXml);
  EXPECT_EQ(workers(), "worker.list=ajp13\r\n");
}

TEST_F(TomcatTest, InstallingAHostAgainReplacesItAndItsAliases) {
  installPanelAndHost(L"h.test");
  manager.installVHost(L"h.test", aliasesFile("old.test"));
  manager.installVHost(L"h.test", aliasesFile("new.test"));
  EXPECT_EQ(serverXml(), hcpServerXml(hostXml("h.test", {"www.h.test", "new.test", "www.new.test"})));
  EXPECT_EQ(workers(),
            "worker.list=ajp13,h_test\r\nworker.h_test.port=9008\r\nworker.h_test.host=127.0.0.1\r\n"
            "worker.h_test.type=ajp13\r\nworker.h_test.lbfactor=1\r\n");
}

TEST_F(TomcatTest, RemoveVHostTakesTheHostAndWorkerRemoveServiceTheFiles) {
  installPanelAndHost(L"h.test");
  manager.installService(L"k.test", L"admin", L"secret", L"9080", L"9008");
  manager.installVHost(L"h.test", L"");
  manager.installVHost(L"k.test", L"");

  manager.removeVHost(L"h.test");
  EXPECT_EQ(serverXml(), hcpServerXml(hostXml("k.test", {"www.k.test"})));
  EXPECT_EQ(workers(), kWorkersOfK);
  EXPECT_TRUE(pathExists(tomcatHome() + "/hcp-users/h.test.xml"));

  manager.removeService(L"h.test");
  for (const std::string& gone :
       {tomcatHome() + "/hcp-users/h.test.xml", varTomcat() + "/hcp-wars/h.test", varTomcat() + "/hcp-webapps/h.test"})
    EXPECT_FALSE(pathExists(gone)) << gone;
  EXPECT_TRUE(pathExists(tomcatHome() + "/hcp-users/k.test.xml"));
  // Nothing left to remove is no error.
  manager.removeService(L"h.test");
}

TEST_F(TomcatTest, RenameVHostMovesTheHostItsFilesWorkerAndMounts) {
  installPanelAndHost(L"o.test");
  const std::wstring aliases = aliasesFile("m.test");
  manager.installVHost(L"o.test", aliases);
  deployArchive("o.test", "app");
  manager.startWebApp(L"o.test", L"app", aliases);

  manager.renameVHost(L"o.test", L"n.test", aliases);
  EXPECT_EQ(serverXml(), hcpServerXml(hostXml("n.test", {"www.n.test", "m.test", "www.m.test"})));
  EXPECT_EQ(workers(),
            "worker.list=ajp13,n_test\r\nworker.n_test.port=9008\r\nworker.n_test.host=127.0.0.1\r\n"
            "worker.n_test.type=ajp13\r\nworker.n_test.lbfactor=1\r\n");
  EXPECT_EQ(uriMap(),
            "/n.test/app=n_test\r\n/n.test/app/*=n_test\r\n/www.n.test/app=n_test\r\n/www.n.test/app/*=n_test\r\n"
            "/m.test/app=n_test\r\n/m.test/app/*=n_test\r\n/www.m.test/app=n_test\r\n/www.m.test/app/*=n_test\r\n");
  EXPECT_NE(realm("n.test").find("username=\"admin\""), std::string::npos);
  EXPECT_EQ(readFile(varTomcat() + "/hcp-webapps/n.test/app.war"), "PK app");
  EXPECT_TRUE(pathExists(varTomcat() + "/hcp-wars/n.test/app.war"));
  for (const std::string& gone :
       {tomcatHome() + "/hcp-users/o.test.xml", varTomcat() + "/hcp-wars/o.test", varTomcat() + "/hcp-webapps/o.test"})
    EXPECT_FALSE(pathExists(gone)) << gone;
}

TEST_F(TomcatTest, RenameVHostOntoAnExistingHostKeepsTheRenamedOne) {
  installPanelAndHost(L"o.test");
  manager.installService(L"k.test", L"other", L"x", L"9080", L"9008");
  manager.installVHost(L"o.test", aliasesFile("kept.test"));
  manager.installVHost(L"k.test", aliasesFile("lost.test"));

  manager.renameVHost(L"o.test", L"k.test", L"");
  EXPECT_EQ(serverXml(), hcpServerXml(hostXml("k.test", {"www.k.test", "kept.test", "www.kept.test"})));
  EXPECT_NE(realm("k.test").find("username=\"admin\""), std::string::npos);
}

TEST_F(TomcatTest, RenamingAHostToItsOwnNameChangesNothing) {
  installHostWithArchives("h.test", {});
  const std::string xml = serverXml(), workersBefore = workers();
  manager.renameVHost(L"h.test", L"h.test", L"");
  EXPECT_EQ(serverXml(), xml);
  EXPECT_EQ(workers(), workersBefore);
  EXPECT_TRUE(pathExists(tomcatHome() + "/hcp-users/h.test.xml"));
  EXPECT_TRUE(pathExists(varTomcat() + "/hcp-wars/h.test"));
}

}  // namespace
}  // namespace tomcat_test
