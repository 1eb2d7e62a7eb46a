// Laying out and removing the panel's part of Tomcat: server.xml, the realm
// files, the connector's files and the panel's directories.

#include <sys/stat.h>

#include "tomcat/tomcat_test_machine.h"

namespace tomcat_test {
namespace {

const char kRealmFile[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<tomcat-users>
  <user username="admin" password="secret" roles="manager-gui"/>
</tomcat-users>
)";

unsigned modeOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 0777;
}

TEST_F(TomcatTest, InstallLaysOutTheServiceTheHostAndTheConnectorFiles) {
  installPanelAndHost(L"h.test");
  manager.installVHost(L"h.test", aliasesFile("a.test;b.test\n\n"));

  EXPECT_EQ(serverXml(),
            hcpServerXml(hostXml("h.test", {"www.h.test", "a.test", "www.a.test", "b.test", "www.b.test"})));
  EXPECT_EQ(realm("h.test"), kRealmFile);
  EXPECT_EQ(modeOf(tomcatHome() + "/hcp-users/h.test.xml"), 0640u);
  const char workersOfTheHost[] =
      "worker.list=ajp13,h_test\r\nworker.h_test.port=9008\r\nworker.h_test.host=127.0.0.1\r\n"
      "worker.h_test.type=ajp13\r\nworker.h_test.lbfactor=1\r\n";
  EXPECT_EQ(workers(), workersOfTheHost);
  EXPECT_EQ(uriMap(), "");
  EXPECT_EQ(readFile(tomcatHome() + "/conf/isapi_redirect.properties"),
            "# Configuration file for the Jakarta ISAPI Redirector\r\n\r\n"
            "# The path to the ISAPI Redirector Extension, relative to the website\r\n"
            "# This must be in a virtual directory with execute privileges\r\n"
            "extension_uri=/jakarta-tomcat/isapi_redirect.dll\r\n\r\n"
            "# Full path to the log file for the ISAPI Redirector\r\n"
            "log_file=" +
                productRoot() +
                "/admin/logs/isapi_redirect.log\r\n\r\n"
                "# Log level (debug, info, warn, error or trace)\r\nlog_level=error\r\n\r\n"
                "# Full path to the workers.properties file\r\n"
                "worker_file=" +
                tomcatHome() +
                "/conf/workers.properties\r\n\r\n"
                "# Full path to the uriworkermap.properties file\r\n"
                "worker_mount_file=" +
                tomcatHome() + "/conf/uriworkermap.properties\r\n");
  for (const char* directory : {"/hcp-webapps/h.test", "/hcp-wars/h.test"})
    EXPECT_TRUE(pathExists(varTomcat() + directory)) << directory;

  // A second --install keeps the hosts' workers.
  manager.updateIsapiRedirectPropertiesFile();
  EXPECT_EQ(workers(), workersOfTheHost);
}

TEST_F(TomcatTest, InstallServiceAgainKeepsTheServiceAndRewritesTheRealmFile) {
  installPanelAndHost(L"h.test");
  chmod((tomcatHome() + "/hcp-users/h.test.xml").c_str(), 0644);
  manager.installService(L"h.test", L"root", L"second", L"1111", L"2222");
  EXPECT_EQ(serverXml(), hcpServerXml(""));
  EXPECT_EQ(realm("h.test"), R"(<?xml version="1.0" encoding="UTF-8"?>
<tomcat-users>
  <user username="root" password="second" roles="manager-gui"/>
</tomcat-users>
)");
  // A realm file left readable by an earlier version is tightened.
  EXPECT_EQ(modeOf(tomcatHome() + "/hcp-users/h.test.xml"), 0640u);
}

TEST_F(TomcatTest, UninstallRemovesThePanelsPartAndKeepsTheArchives) {
  installHostWithArchives("h.test", {"Shop"});
  manager.startWebApp(L"h.test", L"Shop", L"");
  testing_support::makeDirectories(tomcatHome() + "/work/HCP/h.test/Shop");

  manager.stopService();
  manager.removeNodeService();
  manager.removeHcpDirectories();
  manager.clearIsapiRedirectProperties();
  EXPECT_EQ(serverXml(), R"(<?xml version="1.0" encoding="UTF-8"?>
<Server port="-1" shutdown="SHUTDOWN">
  <Service name="Catalina">
    <Engine name="Catalina" defaultHost="localhost"/>
  </Service>
</Server>
)");
  EXPECT_EQ(workers(), "worker.list=ajp13\r\n");
  EXPECT_EQ(uriMap(), "");
  EXPECT_TRUE(pathExists(varTomcat() + "/hcp-wars/h.test/Shop.war"));
  for (const std::string& gone :
       {varTomcat() + "/hcp-webapps", tomcatHome() + "/hcp-users", tomcatHome() + "/work/HCP"})
    EXPECT_FALSE(pathExists(gone)) << gone;
}

}  // namespace
}  // namespace tomcat_test
