#include "tomcat/tomcat_test_machine.h"

#include <filesystem>
#include <memory>

#include "providers/fixed_paths_provider.h"
#include "support/background_program.h"

namespace tomcat_test {

namespace {

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

std::string aliasLines(const std::vector<std::string>& aliases) {
  std::string lines;
  for (const std::string& alias : aliases) lines += "        <Alias>" + alias + "</Alias>\n";
  return lines;
}

}  // namespace

const char kStockServerXml[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<Server port="8005" shutdown="SHUTDOWN">
  <Service name="Catalina">
    <Engine name="Catalina" defaultHost="localhost"/>
  </Service>
</Server>
)";

std::string hcpServerXml(const std::string& hosts) {
  const std::string xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<Server port="-1" shutdown="SHUTDOWN">
  <Service name="Catalina">
    <Engine name="Catalina" defaultHost="localhost"/>
  </Service>
  <Service name="HCP" className="org.apache.catalina.core.StandardService">
    <Connector port="9008" protocol="AJP/1.3" redirectPort="443" secure="false" enableLookups="false" connectionTimeout="20000" address="127.0.0.1" secretRequired="false"/>
    <Connector port="9080" redirectPort="8443" secure="false" enableLookups="false" scheme="http" connectionTimeout="20000"/>
    <Engine name="HCP" className="org.apache.catalina.core.StandardEngine">
      <Realm className="org.apache.catalina.realm.MemoryRealm"/>
)" + hosts +
                          R"(    </Engine>
  </Service>
</Server>
)";
  return replaceAll(replaceAll(xml, "{home}", tomcatHome()), "{var}", varTomcat());
}

std::string hostXml(const std::string& name, const std::vector<std::string>& aliases,
                    const std::vector<std::string>& addedAliases) {
  const std::string host =
      R"(      <Host name="{name}" className="org.apache.catalina.core.StandardHost" errorReportValveClass="org.apache.catalina.valves.ErrorReportValve" deployXML="true" appBase="{var}/hcp-webapps/{name}" unpackWARs="false" autoDeploy="true">
{aliases}        <Context path="/manager" className="org.apache.catalina.core.StandardContext" crossContext="false" reloadable="false" useNaming="true" swallowOutput="false" privileged="true" wrapperClass="org.apache.catalina.core.StandardWrapper" docBase="{home}/webapps/manager" cookies="true" cachingAllowed="true"/>
        <Realm pathname="hcp-users/{name}.xml" className="org.apache.catalina.realm.MemoryRealm"/>
{added}      </Host>
)";
  return replaceAll(replaceAll(replaceAll(host, "{name}", name), "{aliases}", aliasLines(aliases)), "{added}",
                    aliasLines(addedAliases));
}

namespace {

struct Machine {
  Machine() {
    sandbox.writeRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config]\n\"PRODUCT_ROOT_D\"=\"" +
                          sandbox.path("opt/halvo") + "\"\n\"PRODUCT_DATA_D\"=\"" + sandbox.path("var/opt/halvo") +
                          "\"\n");
    hcpsrv = std::make_unique<testing_support::BackgroundProgram>("hcpsrv", std::vector<std::string>{});
    ready = testing_support::waitForPath(sandbox.path("run/halvo/pipes/hcppipe"), 10000);
  }
  testing_support::Sandbox sandbox;
  testing_support::ScopedEnv home{"WC_TEST_TOMCAT_HOME", sandbox.path("opt/tomcat")};
  std::unique_ptr<testing_support::BackgroundProgram> hcpsrv;
  bool ready = false;
};

Machine& machine() {
  static Machine instance;
  return instance;
}

}  // namespace

TestTomcatManager::TestTomcatManager() {
  machine();
  provider_ = new FixedPathsProvider();
}

std::string tomcatHome() { return machine().sandbox.path("opt/tomcat"); }
std::string varTomcat() { return machine().sandbox.path("var/opt/halvo/var/tomcat"); }
std::string productRoot() { return machine().sandbox.path("opt/halvo"); }

void TomcatTest::SetUp() {
  ASSERT_TRUE(machine().ready) << "hcpsrv did not start";
  std::filesystem::remove_all(tomcatHome());
  std::filesystem::remove_all(varTomcat());
  std::filesystem::remove_all(productRoot());
  testing_support::makeDirectories(tomcatHome() + "/conf");
  testing_support::writeFile(tomcatHome() + "/conf/server.xml", kStockServerXml);
}

std::string TomcatTest::removalStorage() {
  const std::string storage = productRoot() + "/etc/DeferredRemovalStorage.xml";
  return pathExists(storage) ? readFile(storage) : "";
}

std::wstring TomcatTest::aliasesFile(const std::string& content) {
  static int counter = 0;
  const std::string file = machine().sandbox.path("aliases-" + std::to_string(++counter) + ".txt");
  testing_support::writeFile(file, content);
  return w(file);
}

void TomcatTest::deployArchive(const std::string& host, const std::string& application) {
  testing_support::makeDirectories(varTomcat() + "/hcp-wars/" + host);
  testing_support::writeFile(varTomcat() + "/hcp-wars/" + host + "/" + application + ".war", "PK " + application);
}

void TomcatTest::installPanelAndHost(const std::wstring& host) {
  manager.updateIsapiRedirectPropertiesFile();
  manager.createHcpDirectories();
  manager.disableShutdownPort();
  manager.installService(host, L"admin", L"secret", L"9080", L"9008");
}

void TomcatTest::installHostWithArchives(const std::string& host, const std::vector<std::string>& applications) {
  installPanelAndHost(w(host));
  manager.installVHost(w(host), L"");
  for (const std::string& application : applications) deployArchive(host, application);
}

}  // namespace tomcat_test
