#include "tomcat/tomcat_test_machine.h"

#include <filesystem>

#include "base/system/path_separator.h"
#include "providers/fixed_paths_provider.h"
#include "support/background_program.h"

namespace wc {

namespace tomcat_test {

namespace {

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

std::string aliasLines(const std::vector<std::string>& names) {
  std::string lines;
  for (const std::string& name : names)
    lines += "        <Alias>" + name + "</Alias>\n        <Alias>www." + name + "</Alias>\n";
  return lines;
}

std::string workerOf(const std::string& host) { return replaceAll(host, ".", "_"); }

struct Machine {
  Machine() {
    sandbox.writeRegistry(testing_support::kConfigSection + "\"PRODUCT_ROOT_D\"=\"" + sandbox.path("opt/halvo") +
                          "\"\n\"PRODUCT_DATA_D\"=\"" + sandbox.path("var/opt/halvo") + "\"\n");
  }
  testing_support::Sandbox sandbox;
  testing_support::ScopedEnv home{"WC_TEST_TOMCAT_HOME", sandbox.path("opt/tomcat")};
  testing_support::RunningHcpsrv hcpsrv;
};

Machine& machine() {
  static Machine instance;
  return instance;
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
  return R"(<?xml version="1.0" encoding="UTF-8"?>
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
}

std::string hostXml(const std::string& name, const std::vector<std::string>& aliases,
                    const std::vector<std::string>& added) {
  const std::string host =
      R"(      <Host name="{name}" className="org.apache.catalina.core.StandardHost" errorReportValveClass="org.apache.catalina.valves.ErrorReportValve" deployXML="true" appBase="{base}" unpackWARs="false" autoDeploy="true">
        <Alias>www.{name}</Alias>
{aliases}        <Context path="/manager" className="org.apache.catalina.core.StandardContext" crossContext="false" reloadable="false" useNaming="true" swallowOutput="false" privileged="true" wrapperClass="org.apache.catalina.core.StandardWrapper" docBase="{home}" cookies="true" cachingAllowed="true"/>
        <Realm pathname="hcp-users/{name}.xml" className="org.apache.catalina.realm.MemoryRealm"/>
{added}      </Host>
)";
  std::string xml = replaceAll(host, "{base}", nativePath(var("hcp-webapps/" + name)));
  xml = replaceAll(replaceAll(xml, "{aliases}", aliasLines(aliases)), "{added}", aliasLines(added));
  return replaceAll(replaceAll(xml, "{name}", name), "{home}", home("webapps/manager"));
}

std::string workersOf(const std::string& host) {
  const std::string worker = "worker." + workerOf(host);
  return "worker.list=ajp13," + workerOf(host) + "\r\n" + worker + ".port=9008\r\n" + worker + ".host=127.0.0.1\r\n" +
         worker + ".type=ajp13\r\n" + worker + ".lbfactor=1\r\n";
}

std::string mounts(const std::string& application, const std::string& host, const std::vector<std::string>& names) {
  std::string lines;
  for (const std::string& name : names) {
    for (const std::string& mount : {"/" + name + "/", "/www." + name + "/"})
      lines +=
          mount + application + "=" + workerOf(host) + "\r\n" + mount + application + "/*=" + workerOf(host) + "\r\n";
  }
  return lines;
}

TestTomcatManager::TestTomcatManager() : TomcatManager(testing_support::context) {
  machine();
  provider_ = new FixedPathsProvider();
}

std::string home(const std::string& relative) { return machine().sandbox.path("opt/tomcat/" + relative); }
std::string var(const std::string& relative) { return machine().sandbox.path("var/opt/halvo/var/tomcat/" + relative); }
std::string product(const std::string& relative) { return machine().sandbox.path("opt/halvo/" + relative); }

void TomcatTest::SetUp() {
  ASSERT_TRUE(machine().hcpsrv.ready) << "hcpsrv did not start";
  for (const std::string& directory : {home(""), var(""), product("")}) std::filesystem::remove_all(directory);
  testing_support::makeDirectories(home("conf"));
  testing_support::writeFile(home("conf/server.xml"), kStockServerXml);
}

std::string TomcatTest::removalStorage() {
  const std::string storage = product("etc/DeferredRemovalStorage.xml");
  return pathExists(storage) ? readFile(storage) : "";
}

std::wstring TomcatTest::aliasesFile(const std::string& content) {
  static int counter = 0;
  const std::string file = home("aliases-" + std::to_string(++counter) + ".txt");
  testing_support::writeFile(file, content);
  return w(file);
}

void TomcatTest::install(const std::string& host, const char* aliases, const std::vector<std::string>& archives) {
  manager.updateIsapiRedirectPropertiesFile();
  manager.createHcpDirectories();
  manager.disableShutdownPort();
  manager.installService(w(host), L"admin", L"secret", L"9080", L"9008");
  if (aliases) manager.installVHost(w(host), *aliases ? aliasesFile(aliases) : L"");
  for (const std::string& application : archives)
    testing_support::writeFile(var("hcp-wars/" + host + "/" + application + ".war"), "PK " + application);
}

}  // namespace tomcat_test

}  // namespace wc
