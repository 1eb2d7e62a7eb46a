// Laying out and removing the panel's part of Tomcat: server.xml, the realm
// files, the connector's files and the panel's directories.

#include "tomcat/tomcat_test_machine.h"

namespace wc {

namespace tomcat_test {
namespace {

std::string realmFile(const std::string& login, const std::string& password) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tomcat-users>\n  <user username=\"" + login + "\" password=\"" +
         password + "\" roles=\"manager-gui\"/>\n</tomcat-users>\n";
}

TEST_F(TomcatTest, InstallLaysOutTheServiceTheHostAndTheConnectorFiles) {
  // A host needs the HCP Engine first.
  manager.updateIsapiRedirectPropertiesFile();
  EXPECT_EQ(failureOf([&] { manager.installVHost(L"h.test", L""); }).message(), L"Can't find Engine HCP");
  EXPECT_EQ(serverXml(), kStockServerXml);
  EXPECT_EQ(workers(), "worker.list=ajp13\r\n");

  install("h.test", "a.test;b.test\n\n");
  EXPECT_EQ(serverXml(), hcpServerXml(hostXml("h.test", {"a.test", "b.test"})));
  EXPECT_EQ(realm("h.test"), realmFile("admin", "secret"));
  EXPECT_EQ(workers(), workersOf("h.test"));
  EXPECT_EQ(uriMap(), "");
  const std::string properties = readFile(home("conf/isapi_redirect.properties"));
  for (const std::string& line :
       {"log_file=" + nativePath(product("admin/logs/isapi_redirect.log")),
        "worker_file=" + home("conf/workers.properties"), "worker_mount_file=" + home("conf/uriworkermap.properties")})
    EXPECT_NE(properties.find("\r\n" + line + "\r\n"), std::string::npos) << line << "\n" << properties;
  for (const char* directory : {"hcp-webapps/h.test", "hcp-wars/h.test"})
    EXPECT_TRUE(pathExists(var(directory))) << directory;

  // Again: the workers stay, the host's aliases are replaced, the service
  // keeps its ports and the realm file is written anew.
  manager.updateIsapiRedirectPropertiesFile();
  manager.installVHost(L"h.test", aliasesFile("new.test"));
  manager.installService(L"h.test", L"root", L"second", L"1111", L"2222");
  EXPECT_EQ(serverXml(), hcpServerXml(hostXml("h.test", {"new.test"})));
  EXPECT_EQ(workers(), workersOf("h.test"));
  EXPECT_EQ(realm("h.test"), realmFile("root", "second"));
}

TEST_F(TomcatTest, UninstallRemovesThePanelsPartAndKeepsTheArchives) {
  install("h.test", "", {"Shop"});
  manager.startWebApp(L"h.test", L"Shop", L"");
  testing_support::makeDirectories(home("work/HCP/h.test/Shop"));

  manager.stopService();
  manager.removeNodeService();
  manager.removeHcpDirectories();
  manager.clearIsapiRedirectProperties();
  std::string stock = kStockServerXml;
  EXPECT_EQ(serverXml(), stock.replace(stock.find("8005"), 4, "-1"));
  EXPECT_EQ(workers(), "worker.list=ajp13\r\n");
  EXPECT_EQ(uriMap(), "");
  EXPECT_TRUE(pathExists(var("hcp-wars/h.test/Shop.war")));
  for (const std::string& gone : {var("hcp-webapps"), home("hcp-users"), home("work/HCP")})
    EXPECT_FALSE(pathExists(gone)) << gone;
}

}  // namespace
}  // namespace tomcat_test

}  // namespace wc
