// Changes to a host whose application is being served: an alias added, the
// host renamed, an alias removed, the host and its service removed, and the
// panel's part of Tomcat uninstalled, all against a real Tomcat.

#include <gtest/gtest.h>

#include <thread>

#include "e2e/tcp_probes.h"
#include "e2e/tomcat_scenario.h"
#include "support/sandbox.h"

namespace wc {

namespace e2e {
namespace {

const std::string kOldName = "shop.test";
const std::string kNewName = "store.test";
const std::string kAlias = "extra.test";
const std::string kApp = "catalog";

class HostChanges : public TomcatScenario {};

TEST_F(HostChanges, AHostServesItsApplication) {
  runWcadmin({"--install"});
  expectConfigAccepted("--install");
  runWcadmin({"--install-service", "--vhost-name=" + kOldName, "--manager-login=admin", "--password=s3cret"});
  expectConfigAccepted("--install-service");
  runWcadmin({"--start"});
  runWcadmin({"--install-vhost", "--vhost-name=" + kOldName});
  expectConfigAccepted("--install-vhost");
  machine().deployArchive(kOldName, kApp);
  runWcadmin({"--start-webapp", "--vhost-name=" + kOldName, "--webapp-name=" + kApp});
  expectServed(kApp, kOldName);
  expectServed(kApp, "www." + kOldName, std::chrono::seconds(5));
}

TEST_F(HostChanges, AddAliasWithRestartServesTheApplicationUnderTheAlias) {
  expectNotServed(kApp, kAlias);
  runWcadmin({"--add-alias", "--vhost-name=" + kOldName, "--alias=" + kAlias, "--restart"});
  expectConfigAccepted("--add-alias");
  EXPECT_EQ(wcadminStatus(), "is running");
  expectServed(kApp, kAlias);
  expectServed(kApp, "www." + kAlias, std::chrono::seconds(5));
  expectServed(kApp, kOldName, std::chrono::seconds(5));
}

TEST_F(HostChanges, RenameVHostServesTheApplicationUnderTheNewName) {
  runWcadmin({"--rename-vhost", "--old-name=" + kOldName, "--new-name=" + kNewName});
  expectConfigAccepted("--rename-vhost");
  EXPECT_EQ(wcadminStatus(), "is running");
  for (const std::string& name : {kNewName, "www." + kNewName, kAlias, "www." + kAlias}) expectServed(kApp, name);
  for (const std::string& name : {kOldName, "www." + kOldName}) expectNotServed(kApp, name);

  // The realm file moved with the host: its user still gets in under the new
  // name.
  expectManagerLists(kNewName);
  EXPECT_EQ(webAppList(kNewName, true), std::vector<std::string>{kApp});
}

TEST_F(HostChanges, RemoveAliasWithRestartServesTheAliasNoMore) {
  runWcadmin({"--remove-alias", "--vhost-name=" + kNewName, "--alias=" + kAlias, "--restart"});
  expectConfigAccepted("--remove-alias");
  expectServed(kApp, kNewName);
  for (const std::string& name : {kAlias, "www." + kAlias}) expectNotServed(kApp, name);
}

TEST_F(HostChanges, RemoveVHostAndRemoveServiceLeaveNothingServedForTheHost) {
  runWcadmin({"--remove-vhost", "--vhost-name=" + kNewName});
  expectConfigAccepted("--remove-vhost");
  EXPECT_EQ(wcadminStatus(), "is running");
  EXPECT_EQ(machine().serverXml().find(kNewName), std::string::npos) << machine().serverXml();
  for (const std::string& name : {kNewName, "www." + kNewName}) expectNotServed(kApp, name);
  HttpRequest list{kNewName, "/manager/text/list"};
  list.credentials = "admin:s3cret";
  HttpResponse manager = httpGet(list);
  EXPECT_TRUE(manager.status == 404 || manager.status == 400) << manager.describe();

  runWcadmin({"--remove-service", "--vhost-name=" + kNewName});
  expectConfigAccepted("--remove-service");
  EXPECT_EQ(wcadminStatus(), "is running");
  EXPECT_FALSE(testing_support::pathExists(machine().tomcatBase() + "/hcp-users/" + kNewName + ".xml"));
  EXPECT_FALSE(testing_support::pathExists(machine().dataDirectory() + "/hcp-webapps/" + kNewName));
  EXPECT_FALSE(testing_support::pathExists(machine().dataDirectory() + "/hcp-wars/" + kNewName));
  for (const std::string& name : {kNewName, "www." + kNewName}) expectNotServed(kApp, name);
}

TEST_F(HostChanges, UninstallLeavesAServerXmlThatTomcatStartsWith) {
  runWcadmin({"--uninstall"});
  EXPECT_EQ(wcadminStatus(), "is stopped");
  EXPECT_FALSE(portAccepts(kHttpPort));
  EXPECT_EQ(machine().serverXml().find("\"HCP\""), std::string::npos) << machine().serverXml();
  expectConfigAccepted("--uninstall");

  // Without the panel's connectors the service is ready once the stock
  // connector accepts.
  testing_support::ProcessResult hcpreg =
      machine().hcpreg({"add", "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tomcat", "/v", "ReadyPort", "/t",
                        "REG_DWORD", "/d", std::to_string(kStockHttpPort), "/f"});
  ASSERT_EQ(hcpreg.exitCode, 0) << hcpreg.out << hcpreg.err;
  const int startedBefore = machine().startupCount();
  runWcadmin({"--start"});
  EXPECT_EQ(wcadminStatus(), "is running");
  for (int wait = 0; wait < 120 && machine().startupCount() == startedBefore; ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }
  EXPECT_EQ(machine().startupCount(), startedBefore + 1) << "Tomcat did not finish its start-up:\n"
                                                         << machine().consoleTail();
  HttpResponse stock = httpGet({"localhost", "/", kStockHttpPort});
  EXPECT_NE(stock.status, 0) << stock.describe();
  EXPECT_FALSE(portAccepts(kHttpPort));
  runWcadmin({"--stop"});
  EXPECT_EQ(wcadminStatus(), "is stopped");
}

TEST_F(HostChanges, TomcatLogsNoUnexpectedSevereLine) { expectNoUnexpectedSevereLines(); }

}  // namespace
}  // namespace e2e

}  // namespace wc
