// The configuration commands as the panel runs them: that each reaches its
// operation with its parameters and the real provider's values, what the
// console shows, the exit codes and the restarts of Tomcat. What the
// operations write into the files is tested in tests/tomcat.

#include <gtest/gtest.h>

#include "cli/panel_machine.h"

namespace wc {

namespace {

using cli::PanelMachine;
using testing_support::pathExists;
using testing_support::readFile;

// A text that a file must (or must not) hold after a command; without a text,
// the path itself must (or must not) exist.
struct Mark {
  std::string path;
  std::string text;
  bool present = true;
};

TEST(ConfigCommands, EachCommandReachesItsOperationWithItsParametersAndFailuresArePrintedWithTheirCallPoints) {
  PanelMachine machine;
  const std::string xml = machine.serverXmlPath(), workers = machine.workersPath(), map = machine.uriMapPath();
  const std::string aliases = machine.aliasesFile("a.test"),
                    storage = machine.productRoot() + "/etc/DeferredRemovalStorage.xml";
  const std::string home = machine.tomcatHome(), var = machine.varTomcat();
  testing_support::makeDirectories(home + "/hcp-wars/k.test");
  testing_support::writeFile(home + "/hcp-wars/k.test/Old.war", "PK");
  machine.deployArchive("h.test", "Shop");
  const struct Step {
    std::vector<std::string> args;
    std::vector<Mark> marks;
  } steps[] = {
      {{"--install"},
       {{xml, "<Server port=\"-1\""}, {home + "/conf/isapi_redirect.properties", ""}, {var + "/hcp-wars", ""}}},
      {{"--copy-wars-to-var-tomcat-dir"}, {{var + "/hcp-wars/k.test/Old.war", ""}}},
      {{"--install-service", "--vhost-name=h.test", "--manager-login=admin", "--password=secret"},
       {{xml, "<Connector port=\"9008\" protocol=\"AJP/1.3\""},
        {xml, "<Connector port=\"9080\" redirectPort"},
        {home + "/hcp-users/h.test.xml",
         "username=\"admin\" password=\"secret\" roles=\"manager-gui,manager-script\""}}},
      {{"--install-vhost", "--vhost-name=h.test", "--aliases=" + aliases},
       {{xml, "<Alias>www.a.test</Alias>"},
        {xml, "docBase=\"" + testing_support::nativePath(home + "/webapps/manager\"")},
        {workers, "h_test"}}},
      {{"--install-webapp", "--vhost-name=h.test", "--webapp-name=Shop", "--aliases=" + aliases},
       {{map, "/www.a.test/Shop/*=h_test"}, {var + "/hcp-webapps/h.test/Shop.war", ""}}},
      {{"--add-alias", "--vhost-name=h.test", "--alias=b.test"},
       {{xml, "<Alias>b.test</Alias>"}, {map, "/b.test/Shop="}}},
      {{"--rename-alias", "--vhost-name=h.test", "--old-alias=b.test", "--new-alias=c.test"},
       {{xml, "b.test", false}, {xml, "<Alias>c.test</Alias>"}, {map, "/c.test/Shop="}}},
      {{"--remove-alias", "--vhost-name=h.test", "--alias=c.test"}, {{xml, "c.test", false}, {map, "c.test", false}}},
      {{"--stop-webapp", "--vhost-name=h.test", "--webapp-name=Shop", "--aliases=" + aliases},
       {{map, "a.test", false}, {storage, testing_support::nativePath(var + "/hcp-webapps/h.test/Shop.war")}}},
      {{"--remove-webapp", "--vhost-name=h.test", "--webapp-name=Shop"},
       {{storage, testing_support::nativePath(var + "/hcp-wars/h.test/Shop.war")}}},
      {{"--rename-vhost", "--old-name=h.test", "--new-name=n.test"},
       {{xml, "<Host name=\"n.test\""}, {workers, "worker.n_test.port"}, {home + "/hcp-users/n.test.xml", ""}}},
      {{"--remove-vhost", "--vhost-name=n.test"}, {{xml, "<Host name=\"n.test\"", false}, {workers, "n_test", false}}},
      {{"--remove-service", "--vhost-name=n.test"}, {{home + "/hcp-users/n.test.xml", "", false}}},
      {{"--uninstall"}, {{xml, "HCP", false}, {workers, "worker.list=ajp13\r\n"}, {home + "/hcp-users", "", false}}},
  };
  for (const Step& step : steps) {
    EXPECT_EQ(machine.ok(step.args), "") << step.args[0];
    for (const Mark& mark : step.marks) {
      const bool found = mark.text.empty()
                             ? pathExists(mark.path)
                             : pathExists(mark.path) && readFile(mark.path).find(mark.text) != std::string::npos;
      EXPECT_EQ(found, mark.present) << step.args[0] << ": " << mark.path << " " << mark.text;
    }
  }

  // Failures are printed with their call points and exit 1.
  machine.ok({"--install"});
  const std::string noEngine = machine.failed({"--install-vhost", "--vhost-name=h.test"});
  EXPECT_EQ(noEngine.rfind("Can't find Engine HCP\n   at (TomcatManager::installVHost line 218)\n   at "
                           "installVHost(h.test)(TomcatManager::installVHost line 265)",
                           0),
            0u)
      << noEngine;
  const std::string notDeployed = machine.failed({"--install-webapp", "--vhost-name=h.test", "--webapp-name=x"});
  EXPECT_EQ(notDeployed.rfind("Application 'x' is not deployed\n   at (TomcatManager::startWebApp line ", 0), 0u)
      << notDeployed;
  EXPECT_NE(notDeployed.find("\n   at startWebApp(h.test, x)(TomcatManager::startWebApp line "), std::string::npos);
}

TEST(ConfigCommands, HostsRestartTomcatAndAliasesOnlyWhenAskedAndTheWebAppListPrintsOneNamePerLine) {
  PanelMachine machine;
  machine.installPanelAndHost("h.test");
  machine.ok({"--start"});
  const int started = machine.servicePid();
  machine.ok({"--install-vhost", "--vhost-name=h.test"});
  const int afterHost = machine.servicePid();
  EXPECT_NE(afterHost, 0);
  EXPECT_NE(afterHost, started);
  machine.ok({"--add-alias", "--vhost-name=h.test", "--alias=a.test"});
  EXPECT_EQ(machine.servicePid(), afterHost);
  machine.ok({"--rename-alias", "--vhost-name=h.test", "--old-alias=a.test", "--new-alias=c.test", "--restart"});
  EXPECT_NE(machine.servicePid(), afterHost);
  EXPECT_NE(machine.servicePid(), 0);
  machine.deployArchive("h.test", "Shop");
  machine.deployArchive("h.test", "Blog%");
  machine.ok({"--start-webapp", "--vhost-name=h.test", "--webapp-name=Shop"});
  const std::string all = machine.ok({"--get-webapp-list", "--vhost-name=h.test"});
  EXPECT_TRUE(all == "Blog%\nShop" || all == "Shop\nBlog%") << all;
  EXPECT_EQ(machine.ok({"--get-webapp-list", "--vhost-name=h.test", "--started-only"}), "Shop");
}

TEST(Names, HostileNamesAreRefusedBeforeAnythingChangesAndThePasswordNeverReachesTheDebugLog) {
  PanelMachine machine;
  machine.installPanelAndHost("h.test");
  const std::string xml = machine.serverXml(), workers = machine.workers();
  struct Case {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"--remove-service", "--vhost-name="}, "Invalid host name '' in --vhost-name: the name is empty"},
      {{"--install-vhost", "--vhost-name=../../etc"}, "Invalid host name '../../etc' in --vhost-name"},
      {{"--add-alias", "--vhost-name=h.test", "--alias=a.test\r\nworker.list=evil"}, "Invalid alias"},
      {{"--start-webapp", "--vhost-name=h.test", "--webapp-name=a#b"},
       "Invalid application name 'a#b' in --webapp-name: '#' separates nested paths"},
      {{"--install-vhost", "--vhost-name=h.test", "--aliases=" + machine.aliasesFile("ok.test;bad/alias")},
       "Invalid alias 'bad/alias' in the aliases file"},
  };
  for (const Case& c : cases) {
    const std::string out = machine.failed(c.args);
    EXPECT_EQ(out.find(c.message), 0u) << out;
  }
  EXPECT_EQ(machine.serverXml(), xml);
  EXPECT_EQ(machine.workers(), workers);
  EXPECT_TRUE(pathExists(machine.varTomcat() + "/hcp-wars/h.test"));
  machine.ok({"--install-service", "--vhost-name=h.test", "--manager-login=admin", "--password=new"});
  EXPECT_EQ(machine.debugLogText().find(L"secret"), std::wstring::npos);
  EXPECT_EQ(machine.debugLogText().find(L"=new"), std::wstring::npos);
}

}  // namespace

}  // namespace wc
