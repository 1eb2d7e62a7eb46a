// A host's life with one web application, as the panel drives it: install,
// the host's service and virtual host with two aliases, the application
// started and stopped, all against a real Tomcat.

#include <gtest/gtest.h>

#include <regex>

#include "e2e/tcp_probes.h"
#include "e2e/tomcat_scenario.h"
#include "support/sandbox.h"

namespace wc {

namespace e2e {
namespace {

const std::string kHost = "shop.test";
const std::string kApp = "hello";
const std::vector<std::string> kHostNames = {"shop.test",           "www.shop.test", "shop-alias.test",
                                             "www.shop-alias.test", "second.test",   "www.second.test"};

// The host's two aliases, as the panel passes them.
std::string aliasesFile() {
  return TomcatScenario::machine().writeAliasesFile("aliases.txt", "shop-alias.test;second.test\n");
}

class WebAppLifecycle : public TomcatScenario {};

TEST_F(WebAppLifecycle, InstallDisablesTheShutdownPortAndKeepsTheConfigurationValid) {
  // Upstream Tomcat ships with shutdown port 8005 (Debian's package already
  // disables it): start from the upstream setting so that the change shows.
  std::string stock = machine().serverXml();
  std::string upstream = std::regex_replace(stock, std::regex("<Server port=\"-1\""), "<Server port=\"8005\"");
  ASSERT_NE(upstream, stock) << "the stock server.xml has no <Server port=\"-1\"";
  testing_support::writeFile(machine().serverXmlPath(), upstream);

  runWcadmin({"--install"});
  EXPECT_TRUE(std::regex_search(machine().serverXml(), std::regex("<Server port=\"-1\""))) << machine().serverXml();
  for (const char* file : {"workers.properties", "uriworkermap.properties", "isapi_redirect.properties"}) {
    EXPECT_TRUE(testing_support::pathExists(machine().tomcatBase() + "/conf/" + file)) << file;
  }
  expectConfigAccepted("--install");
}

TEST_F(WebAppLifecycle, InstallServiceAddsThePanelsServiceWithItsRealmFile) {
  runWcadmin({"--install-service", "--vhost-name=" + kHost, "--manager-login=admin", "--password=s3cret"});
  std::string xml = machine().serverXml();
  EXPECT_NE(xml.find("<Service name=\"HCP\""), std::string::npos) << xml;
  EXPECT_TRUE(testing_support::pathExists(machine().tomcatBase() + "/hcp-users/" + kHost + ".xml"));
  EXPECT_TRUE(testing_support::pathExists(machine().dataDirectory() + "/hcp-wars/" + kHost));
  expectConfigAccepted("--install-service");
}

TEST_F(WebAppLifecycle, StartRunsTomcatOnThePanelsConnectors) {
  EXPECT_EQ(wcadminStatus(), "is stopped");
  runWcadmin({"--start"});
  EXPECT_EQ(wcadminStatus(), "is running");
  EXPECT_TRUE(portAccepts(kHttpPort));
  EXPECT_TRUE(portAccepts(kAjpPort));
}

TEST_F(WebAppLifecycle, InstallVHostServesTheManagerToTheHostsOwnUser) {
  runWcadmin({"--install-vhost", "--vhost-name=" + kHost, "--aliases=" + aliasesFile()});
  expectConfigAccepted("--install-vhost");
  EXPECT_EQ(wcadminStatus(), "is running");

  // The manager Context and the host's memory realm: the realm file's user
  // gets in, nobody else does.
  expectManagerLists(kHost);
  HttpRequest list{kHost, "/manager/text/list"};
  list.credentials = "admin:wrong";
  HttpResponse refused = httpGet(list);
  EXPECT_EQ(refused.status, 401) << refused.describe();
}

TEST_F(WebAppLifecycle, StartWebAppServesThePageForTheHostAndEveryAlias) {
  expectNotServed(kApp, kHost);
  machine().deployArchive(kHost, kApp);
  runWcadmin({"--start-webapp", "--vhost-name=" + kHost, "--webapp-name=" + kApp, "--aliases=" + aliasesFile()});
  EXPECT_TRUE(testing_support::pathExists(machine().startedLinkPath(kHost, kApp)));
  expectConfigAccepted("--start-webapp");

  expectServed(kApp, kHost);
  for (const std::string& name : kHostNames) expectServed(kApp, name, std::chrono::seconds(5));
  expectNotServed(kApp, "elsewhere.test");

  EXPECT_EQ(webAppList(kHost, true), std::vector<std::string>{kApp});
  std::string uriMap = testing_support::readFile(machine().tomcatBase() + "/conf/uriworkermap.properties");
  for (const std::string& name : kHostNames) {
    EXPECT_NE(uriMap.find("/" + name + "/" + kApp + "/*=shop_test"), std::string::npos) << name << "\n" << uriMap;
  }
}

TEST_F(WebAppLifecycle, AjpConnectorAnswersCPingOnTheLoopback) {
  AjpProbe probe = sendAjpCPing("127.0.0.1", kAjpPort);
  ASSERT_TRUE(probe.connected) << probe.problem;
  EXPECT_EQ(probe.reply, kAjpCPong) << probe.problem;
}

TEST_F(WebAppLifecycle, StopWebAppAndARestartServeThePageNoMore) {
  runWcadmin({"--stop-webapp", "--vhost-name=" + kHost, "--webapp-name=" + kApp, "--aliases=" + aliasesFile()});
  std::string uriMap = testing_support::readFile(machine().tomcatBase() + "/conf/uriworkermap.properties");
  EXPECT_EQ(uriMap.find("/" + kApp), std::string::npos) << uriMap;

  // The started link is only registered for removal while Tomcat may hold
  // it; it goes when the service stops.
  runWcadmin({"--restart"});
  EXPECT_EQ(wcadminStatus(), "is running");
  EXPECT_FALSE(testing_support::pathExists(machine().startedLinkPath(kHost, kApp)));
  EXPECT_EQ(webAppList(kHost, true), std::vector<std::string>{});
  for (const std::string& name : kHostNames) expectNotServed(kApp, name);
  // The archive stays deployed.
  EXPECT_EQ(webAppList(kHost, false), std::vector<std::string>{kApp});
  expectConfigAccepted("--stop-webapp and --restart");
}

TEST_F(WebAppLifecycle, StopLeavesNothingListening) {
  runWcadmin({"--stop"});
  EXPECT_EQ(wcadminStatus(), "is stopped");
  EXPECT_FALSE(portAccepts(kHttpPort));
  EXPECT_FALSE(portAccepts(kAjpPort));
}

TEST_F(WebAppLifecycle, TomcatLogsNoUnexpectedSevereLine) {
  // Tomcat started three times (start, the host's installation, restart).
  EXPECT_EQ(machine().startupCount(), 3) << machine().consoleTail();
  ASSERT_GE(machine().tomcatLogFiles().size(), 2u) << "Tomcat's log files are not where they were expected";
  expectNoUnexpectedSevereLines();
}

}  // namespace
}  // namespace e2e

}  // namespace wc
