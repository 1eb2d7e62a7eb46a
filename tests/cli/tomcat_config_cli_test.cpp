// The configuration commands end to end in a sandbox: server.xml, the
// connector's files, the panel's directories and the Tomcat service.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "cli/panel_machine.h"

namespace {

using cli::countOf;
using cli::PanelMachine;
using testing_support::pathExists;
using testing_support::readFile;

// The text of the first element `<tag ...>` that contains `marker`.
std::string startTagWith(const std::string& xml, const std::string& tag, const std::string& marker) {
  for (size_t at = xml.find("<" + tag + " "); at != std::string::npos; at = xml.find("<" + tag + " ", at + 1)) {
    std::string element = xml.substr(at, xml.find('>', at) - at + 1);
    if (element.find(marker) != std::string::npos) return element;
  }
  return "";
}

TEST(Install, InstallServiceAndVHostLayOutThePanelsPartOfTomcat) {
  PanelMachine machine;
  machine.ok({"--start"});
  const int tomcatBefore = machine.servicePid();
  machine.installPanelAndHost("h.test");
  machine.ok({"--install-vhost", "--vhost-name=h.test", "--aliases=" + machine.aliasesFile("a.test;b.test\n\n")});

  const std::string xml = machine.serverXml();
  EXPECT_NE(xml.find("<Server port=\"-1\""), std::string::npos);
  EXPECT_EQ(startTagWith(xml, "Service", "HCP"),
            "<Service name=\"HCP\" className=\"org.apache.catalina.core.StandardService\">");
  EXPECT_EQ(
      startTagWith(xml, "Connector", "9008"),
      "<Connector port=\"9008\" protocol=\"AJP/1.3\" redirectPort=\"443\" secure=\"false\" enableLookups=\"false\" "
      "connectionTimeout=\"20000\" address=\"127.0.0.1\" secretRequired=\"false\"/>");
  EXPECT_EQ(startTagWith(xml, "Connector", "9080"),
            "<Connector port=\"9080\" redirectPort=\"8443\" secure=\"false\" enableLookups=\"false\" scheme=\"http\" "
            "connectionTimeout=\"20000\"/>");
  EXPECT_EQ(startTagWith(xml, "Engine", "HCP"),
            "<Engine name=\"HCP\" className=\"org.apache.catalina.core.StandardEngine\">");
  EXPECT_EQ(startTagWith(xml, "Host", "h.test"),
            "<Host name=\"h.test\" className=\"org.apache.catalina.core.StandardHost\" "
            "errorReportValveClass=\"org.apache.catalina.valves.ErrorReportValve\" deployXML=\"true\" appBase=\"" +
                machine.varTomcat() + "/hcp-webapps/h.test\" unpackWARs=\"false\" autoDeploy=\"true\">");
  size_t host = xml.find("<Host name=\"h.test\"");
  std::string hostText = xml.substr(host, xml.find("</Host>", host) - host);
  size_t previous = 0;
  for (std::string alias : {"www.h.test", "a.test", "www.a.test", "b.test", "www.b.test"}) {
    size_t at = hostText.find("<Alias>" + alias + "</Alias>");
    ASSERT_NE(at, std::string::npos) << alias;
    EXPECT_GT(at, previous);
    previous = at;
  }
  EXPECT_EQ(countOf(hostText, "<Alias>"), 5u);
  EXPECT_NE(hostText.find("<Context path=\"/manager\" className=\"org.apache.catalina.core.StandardContext\" "
                          "crossContext=\"false\" reloadable=\"false\" useNaming=\"true\" swallowOutput=\"false\" "
                          "privileged=\"true\" wrapperClass=\"org.apache.catalina.core.StandardWrapper\" docBase=\"" +
                          machine.tomcatHome() + "/webapps/manager\" cookies=\"true\" cachingAllowed=\"true\"/>"),
            std::string::npos)
      << hostText;
  EXPECT_NE(
      hostText.find("<Realm pathname=\"hcp-users/h.test.xml\" className=\"org.apache.catalina.realm.MemoryRealm\"/>"),
      std::string::npos);
  // The stock Catalina service is still there, untouched.
  EXPECT_NE(xml.find("<Service name=\"Catalina\">"), std::string::npos);

  EXPECT_EQ(machine.workers(),
            "worker.list=ajp13,h_test\r\nworker.h_test.port=9008\r\nworker.h_test.host=127.0.0.1\r\n"
            "worker.h_test.type=ajp13\r\nworker.h_test.lbfactor=1\r\n");
  std::string realm = readFile(machine.tomcatHome() + "/hcp-users/h.test.xml");
  EXPECT_NE(realm.find("username=\"admin\" password=\"secret\" roles=\"manager-gui,manager-script\""),
            std::string::npos);
  EXPECT_TRUE(pathExists(machine.varTomcat() + "/hcp-webapps/h.test"));
  EXPECT_TRUE(pathExists(machine.varTomcat() + "/hcp-wars/h.test"));
  // Tomcat was restarted: it runs again, as another process.
  EXPECT_NE(machine.servicePid(), 0);
  EXPECT_NE(machine.servicePid(), tomcatBefore);
}

TEST(Install, InstallServiceKeepsAnExistingServiceAndRewritesTheRealmFile) {
  PanelMachine machine;
  machine.installPanelAndHost("h.test");
  machine.ok({"--install-service", "--vhost-name=h.test", "--manager-login=root", "--password=second",
              "--coyote-connector-port=1111", "--warp-connector-port=2222"});
  std::string xml = machine.serverXml();
  EXPECT_EQ(countOf(xml, "<Service name=\"HCP\""), 1u);
  EXPECT_EQ(xml.find("1111"), std::string::npos);
  std::string realm = readFile(machine.tomcatHome() + "/hcp-users/h.test.xml");
  EXPECT_NE(realm.find("username=\"root\" password=\"second\""), std::string::npos);
  EXPECT_EQ(realm.find("secret"), std::string::npos);
}

TEST(VirtualHosts, InstallingTwiceReplacesTheHost) {
  PanelMachine machine;
  machine.installPanelAndHost("h.test");
  machine.ok({"--install-vhost", "--vhost-name=h.test", "--aliases=" + machine.aliasesFile("old.test")});
  machine.ok({"--install-vhost", "--vhost-name=h.test", "--aliases=" + machine.aliasesFile("new.test")});
  std::string xml = machine.serverXml();
  EXPECT_EQ(countOf(xml, "<Host name=\"h.test\""), 1u);
  EXPECT_EQ(xml.find("old.test"), std::string::npos);
  EXPECT_NE(xml.find("<Alias>new.test</Alias>"), std::string::npos);
  EXPECT_EQ(countOf(machine.workers(), "worker.h_test.port"), 1u);
}

TEST(VirtualHosts, WithoutTheHcpServiceNothingChanges) {
  PanelMachine machine;
  machine.ok({"--install"});
  const std::string xml = machine.serverXml(), workers = machine.workers();
  testing_support::ProcessResult result = machine.wcadmin({"--install-vhost", "--vhost-name=h.test"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out.rfind("Can't find Engine HCP\n   at (TomcatManager::installVHost line 218)\n   at "
                             "installVHost(h.test)(TomcatManager::installVHost line 265)",
                             0),
            0u)
      << result.out;
  EXPECT_EQ(machine.serverXml(), xml);
  EXPECT_EQ(machine.workers(), workers);
}

TEST(VirtualHosts, RenameMovesTheHostItsFilesWorkerAndMounts) {
  PanelMachine machine;
  machine.installPanelAndHost("o.test");
  std::string aliases = machine.aliasesFile("m.test");
  machine.ok({"--install-vhost", "--vhost-name=o.test", "--aliases=" + aliases});
  machine.deployArchive("o.test", "app");
  machine.ok({"--start-webapp", "--vhost-name=o.test", "--webapp-name=app", "--aliases=" + aliases});

  machine.ok({"--rename-vhost", "--old-name=o.test", "--new-name=n.test", "--aliases=" + aliases});
  std::string xml = machine.serverXml();
  EXPECT_EQ(xml.find("<Host name=\"o.test\""), std::string::npos);
  std::string host = startTagWith(xml, "Host", "n.test");
  EXPECT_NE(host.find("appBase=\"" + machine.varTomcat() + "/hcp-webapps/n.test\""), std::string::npos);
  EXPECT_NE(xml.find("<Alias>www.n.test</Alias>"), std::string::npos);
  EXPECT_NE(xml.find("<Alias>m.test</Alias>"), std::string::npos);
  EXPECT_EQ(xml.find("www.o.test"), std::string::npos);
  EXPECT_NE(xml.find("pathname=\"hcp-users/n.test.xml\""), std::string::npos);
  EXPECT_TRUE(pathExists(machine.tomcatHome() + "/hcp-users/n.test.xml"));
  EXPECT_FALSE(pathExists(machine.tomcatHome() + "/hcp-users/o.test.xml"));
  EXPECT_TRUE(pathExists(machine.varTomcat() + "/hcp-wars/n.test/app.war"));
  EXPECT_TRUE(pathExists(machine.varTomcat() + "/hcp-webapps/n.test/app.war"));
  EXPECT_FALSE(pathExists(machine.varTomcat() + "/hcp-wars/o.test"));
  EXPECT_NE(machine.workers().find("worker.list=ajp13,n_test\r\n"), std::string::npos);
  EXPECT_EQ(machine.workers().find("o_test"), std::string::npos);
  const std::string map = machine.uriMap();
  EXPECT_NE(map.find("/n.test/app=n_test\r\n"), std::string::npos);
  EXPECT_NE(map.find("/m.test/app/*=n_test\r\n"), std::string::npos);
  EXPECT_EQ(map.find("o.test"), std::string::npos);
}

TEST(VirtualHosts, RenameOntoAnExistingHostKeepsTheOldOne) {
  PanelMachine machine;
  machine.installPanelAndHost("o.test");
  machine.ok({"--install-service", "--vhost-name=n.test", "--manager-login=other", "--password=x"});
  machine.ok({"--install-vhost", "--vhost-name=o.test", "--aliases=" + machine.aliasesFile("kept.test")});
  machine.ok({"--install-vhost", "--vhost-name=n.test", "--aliases=" + machine.aliasesFile("lost.test")});
  machine.ok({"--rename-vhost", "--old-name=o.test", "--new-name=n.test"});
  std::string xml = machine.serverXml();
  EXPECT_EQ(countOf(xml, "<Host name=\"n.test\""), 1u);
  EXPECT_EQ(xml.find("o.test"), std::string::npos);
  EXPECT_NE(xml.find("<Alias>kept.test</Alias>"), std::string::npos);
  EXPECT_EQ(xml.find("lost.test"), std::string::npos);
  EXPECT_NE(readFile(machine.tomcatHome() + "/hcp-users/n.test.xml").find("username=\"admin\""), std::string::npos);
}

TEST(VirtualHosts, RenamingAHostToItsOwnNameChangesNothing) {
  PanelMachine machine;
  machine.installPanelAndHost("h.test");
  machine.ok({"--install-vhost", "--vhost-name=h.test"});
  const std::string xml = machine.serverXml(), workers = machine.workers();
  machine.ok({"--rename-vhost", "--old-name=h.test", "--new-name=h.test"});
  EXPECT_EQ(machine.serverXml(), xml);
  EXPECT_EQ(machine.workers(), workers);
  EXPECT_TRUE(pathExists(machine.tomcatHome() + "/hcp-users/h.test.xml"));
  EXPECT_TRUE(pathExists(machine.varTomcat() + "/hcp-wars/h.test"));
}

TEST(VirtualHosts, RemoveTakesTheHostAndWorkerRemoveServiceTheFiles) {
  PanelMachine machine;
  machine.installPanelAndHost("h.test");
  machine.ok({"--install-vhost", "--vhost-name=h.test"});
  machine.ok({"--remove-vhost", "--vhost-name=h.test"});
  EXPECT_EQ(machine.serverXml().find("h.test"), std::string::npos);
  EXPECT_EQ(machine.workers(), "worker.list=ajp13\r\n");
  EXPECT_TRUE(pathExists(machine.tomcatHome() + "/hcp-users/h.test.xml"));
  machine.ok({"--remove-service", "--vhost-name=h.test"});
  EXPECT_FALSE(pathExists(machine.tomcatHome() + "/hcp-users/h.test.xml"));
  EXPECT_FALSE(pathExists(machine.varTomcat() + "/hcp-wars/h.test"));
  EXPECT_FALSE(pathExists(machine.varTomcat() + "/hcp-webapps/h.test"));
  // Again: nothing left to remove is no error.
  machine.ok({"--remove-service", "--vhost-name=h.test"});
}

TEST(Aliases, AddRemoveAndRename) {
  PanelMachine machine;
  machine.installPanelAndHost("h.test");
  machine.ok({"--install-vhost", "--vhost-name=h.test"});
  machine.deployArchive("h.test", "Shop");
  machine.ok({"--start-webapp", "--vhost-name=h.test", "--webapp-name=Shop"});

  machine.ok({"--add-alias", "--vhost-name=h.test", "--alias=a.test"});
  std::string xml = machine.serverXml();
  EXPECT_NE(xml.find("<Alias>a.test</Alias>"), std::string::npos);
  EXPECT_NE(xml.find("<Alias>www.a.test</Alias>"), std::string::npos);
  EXPECT_NE(machine.uriMap().find("/a.test/Shop=h_test\r\n/a.test/Shop/*=h_test\r\n/www.a.test/Shop=h_test\r\n"),
            std::string::npos)
      << machine.uriMap();

  // Present already: server.xml is not written again.
  const std::string before = machine.serverXml();
  machine.ok({"--add-alias", "--vhost-name=h.test", "--alias=a.test"});
  EXPECT_EQ(machine.serverXml(), before);
  EXPECT_EQ(countOf(machine.uriMap(), "/a.test/Shop="), 1u);

  // Names in server.xml compare exactly; the connector's mounts are lower case.
  machine.ok({"--remove-alias", "--vhost-name=h.test", "--alias=A.test"});
  EXPECT_EQ(machine.serverXml(), before);
  EXPECT_EQ(machine.uriMap().find("/a.test/"), std::string::npos);

  machine.ok({"--start"});
  int pid = machine.servicePid();
  machine.ok({"--rename-alias", "--vhost-name=h.test", "--old-alias=a.test", "--new-alias=c.test", "--restart"});
  xml = machine.serverXml();
  EXPECT_EQ(xml.find("a.test"), std::string::npos);
  EXPECT_NE(xml.find("<Alias>c.test</Alias>"), std::string::npos);
  EXPECT_NE(machine.uriMap().find("/c.test/Shop=h_test"), std::string::npos);
  EXPECT_NE(machine.servicePid(), pid);
  EXPECT_NE(machine.servicePid(), 0);
  pid = machine.servicePid();
  machine.ok({"--add-alias", "--vhost-name=h.test", "--alias=d.test"});
  EXPECT_EQ(machine.servicePid(), pid);
}

TEST(WebApplications, StartStopListAndRemove) {
  PanelMachine machine;
  machine.installPanelAndHost("h.test");
  machine.ok({"--install-vhost", "--vhost-name=h.test"});
  const std::string wars = machine.varTomcat() + "/hcp-wars/h.test/";
  const std::string webapps = machine.varTomcat() + "/hcp-webapps/h.test/";

  testing_support::ProcessResult missing =
      machine.wcadmin({"--install-webapp", "--vhost-name=h.test", "--webapp-name=x"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.out.rfind("Application 'x' is not deployed\n   at (TomcatManager::startWebApp line ", 0), 0u)
      << missing.out;
  EXPECT_NE(missing.out.find("\n   at startWebApp(h.test, x)(TomcatManager::startWebApp line "), std::string::npos);
  EXPECT_FALSE(pathExists(webapps + "x.war"));
  EXPECT_EQ(machine.uriMap(), "");

  machine.deployArchive("h.test", "Shop");
  machine.deployArchive("h.test", "Blog%");
  machine.ok({"--start-webapp", "--vhost-name=h.test", "--webapp-name=Shop"});
  machine.ok({"--install-webapp", "--vhost-name=h.test", "--webapp-name=Shop"});
  EXPECT_EQ(readFile(webapps + "Shop.war"), readFile(wars + "Shop.war"));
  EXPECT_EQ(machine.uriMap(),
            "/h.test/Shop=h_test\r\n/h.test/Shop/*=h_test\r\n/www.h.test/Shop=h_test\r\n/www.h.test/Shop/*=h_test\r\n");

  std::string all = machine.ok({"--get-webapp-list", "--vhost-name=h.test"});
  EXPECT_TRUE(all == "Blog%\nShop" || all == "Shop\nBlog%") << all;
  EXPECT_EQ(machine.ok({"--get-webapp-list", "--vhost-name=h.test", "--started-only"}), "Shop");

  machine.ok({"--stop-webapp", "--vhost-name=h.test", "--webapp-name=Shop"});
  EXPECT_EQ(machine.uriMap(), "");
  EXPECT_NE(machine.removalStorage().find(webapps + "Shop.war"), std::string::npos);

  testing_support::makeDirectories(machine.tomcatHome() + "/work/HCP/h.test/Shop");
  machine.ok({"--remove-webapp", "--vhost-name=h.test", "--webapp-name=Shop"});
  std::string storage = machine.removalStorage();
  EXPECT_NE(storage.find("URI=\"" + wars + "Shop.war\""), std::string::npos) << storage;
  EXPECT_NE(storage.find("URI=\"" + machine.tomcatHome() + "/work/HCP/h.test/Shop\""), std::string::npos);
  EXPECT_NE(storage.find("Service=\"Tomcat\""), std::string::npos);
  // Registered, not gone yet: still listed until the removal runs.
  EXPECT_NE(machine.ok({"--get-webapp-list", "--vhost-name=h.test"}).find("Shop"), std::string::npos);
  machine.ok({"--stop"});
  EXPECT_FALSE(pathExists(wars + "Shop.war"));
  EXPECT_EQ(machine.ok({"--get-webapp-list", "--vhost-name=h.test"}), "Blog%");
}

TEST(Uninstall, RemovesThePanelsPartAndKeepsTheArchives) {
  PanelMachine machine;
  machine.installPanelAndHost("h.test");
  machine.ok({"--install-vhost", "--vhost-name=h.test"});
  machine.deployArchive("h.test", "Shop");
  machine.ok({"--start-webapp", "--vhost-name=h.test", "--webapp-name=Shop"});
  machine.ok({"--uninstall"});
  std::string xml = machine.serverXml();
  EXPECT_EQ(xml.find("HCP"), std::string::npos);
  EXPECT_NE(xml.find("<Service name=\"Catalina\">"), std::string::npos);
  EXPECT_FALSE(pathExists(machine.varTomcat() + "/hcp-webapps"));
  EXPECT_FALSE(pathExists(machine.tomcatHome() + "/hcp-users"));
  EXPECT_TRUE(pathExists(machine.varTomcat() + "/hcp-wars/h.test/Shop.war"));
  EXPECT_EQ(machine.workers(), "worker.list=ajp13\r\n");
  EXPECT_EQ(machine.uriMap(), "");
}

TEST(Names, HostileNamesAreRefusedBeforeAnythingChanges) {
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
    testing_support::ProcessResult result = machine.wcadmin(c.args);
    EXPECT_EQ(result.exitCode, 1) << c.args[1];
    EXPECT_EQ(result.out.find(c.message), 0u) << result.out;
  }
  EXPECT_EQ(machine.serverXml(), xml);
  EXPECT_EQ(machine.workers(), workers);
  EXPECT_TRUE(pathExists(machine.varTomcat() + "/hcp-wars/h.test"));
}

}  // namespace

namespace {

TEST(Install, RealmFilesAreReadableByOwnerAndGroupOnly) {
  cli::PanelMachine machine;
  machine.installPanelAndHost("h.test");
  struct stat info {};
  ASSERT_EQ(stat((machine.tomcatHome() + "/hcp-users/h.test.xml").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  // A realm file left readable by an earlier version is tightened on rewrite.
  chmod((machine.tomcatHome() + "/hcp-users/h.test.xml").c_str(), 0644);
  machine.ok({"--install-service", "--vhost-name=h.test", "--manager-login=admin", "--password=new"});
  ASSERT_EQ(stat((machine.tomcatHome() + "/hcp-users/h.test.xml").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  // The password never reaches the debug log.
  EXPECT_EQ(machine.debugLogText().find(L"secret"), std::wstring::npos);
  EXPECT_EQ(machine.debugLogText().find(L"=new"), std::wstring::npos);
}

}  // namespace
