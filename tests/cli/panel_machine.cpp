#include "cli/panel_machine.h"

#include <gtest/gtest.h>

#include <sstream>

#include "base/services/service.h"
#include "base/services/service_control.h"

namespace cli {

PanelMachine::PanelMachine(const std::string& provider, const std::vector<ServiceDefinition>& services)
    : services_(services) {
  auto dword = [](int value) {
    char text[24];
    snprintf(text, sizeof text, "dword:%08x\n", value);
    return std::string(text);
  };
  std::string extra;
  for (const ServiceDefinition& s : services) {
    extra += "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\" + s.name + "]\n";
    std::string imagePath;
    for (char c : s.imagePath) {
      if (c == '"' || c == '\\') imagePath += '\\';
      imagePath += c;
    }
    extra += "\"ImagePath\"=\"" + imagePath + "\"\n";
    if (!s.dependOnService.empty()) {
      // REG_MULTI_SZ: UTF-16LE characters, each item NUL-terminated, one more NUL.
      std::string hex;
      char buffer[8];
      for (char c : s.dependOnService + std::string("\0\0", 2)) {
        snprintf(buffer, sizeof buffer, "%02x,00,", static_cast<unsigned char>(c));
        hex += buffer;
      }
      hex.pop_back();
      extra += "\"DependOnService\"=hex(7):" + hex + "\n";
    }
    if (s.readyPort) extra += "\"ReadyPort\"=" + dword(s.readyPort) + "\"WaitHint\"=" + dword(3000);
    if (s.stopTimeoutMs) extra += "\"StopTimeout\"=" + dword(s.stopTimeoutMs);
    extra += "\n";
  }
  writeSettings(/*debug=*/true, provider, "tomcat10", extra);
  testing_support::makeDirectories(tomcatHome() + "/conf");
  testing_support::writeFile(serverXmlPath(),
                             testing_support::readFile(std::string(WC_SOURCE_DIR) + "/tests/base/xml/data/server.xml"));
  managementService_ = std::make_unique<testing_support::BackgroundProgram>("hcpsrv", std::vector<std::string>{});
  if (!testing_support::waitForPath(path("run/halvo/pipes/hcppipe"), 5000)) {
    ADD_FAILURE() << "the management service did not start";
  }
}

PanelMachine::~PanelMachine() {
  // Stop every service this machine defined, dependents first.
  for (auto it = services_.rbegin(); it != services_.rend(); ++it) {
    try {
      service::controlService(SERVICE_CONTROL_STOP, std::wstring(it->name.begin(), it->name.end()));
    } catch (...) {
    }
  }
}

std::string PanelMachine::removalStorage() const {
  std::string storage = productRoot() + "/etc/DeferredRemovalStorage.xml";
  return testing_support::pathExists(storage) ? testing_support::readFile(storage) : "";
}

std::string PanelMachine::ok(const std::vector<std::string>& args) const {
  testing_support::ProcessResult result = wcadmin(args);
  EXPECT_EQ(result.exitCode, 0) << "wcadmin " << (args.empty() ? "" : args[0]) << ":\n" << result.out;
  return result.out;
}

int PanelMachine::servicePid(const std::string& name) const {
  std::string status = path("run/halvo/services/" + name + "/status");
  if (!testing_support::pathExists(status)) return 0;
  std::istringstream in(testing_support::readFile(status));
  std::string line;
  int state = 0, pid = 0;
  while (std::getline(in, line)) {
    if (line.rfind("currentState=", 0) == 0) state = std::stoi(line.substr(13));
    if (line.rfind("processId=", 0) == 0) pid = std::stoi(line.substr(10));
  }
  return state == 4 || state == 2 ? pid : 0;
}

void PanelMachine::installPanelAndHost(const std::string& host) const {
  ok({"--install"});
  ok({"--install-service", "--vhost-name=" + host, "--manager-login=admin", "--password=secret"});
}

std::string PanelMachine::aliasesFile(const std::string& content) const {
  static int counter = 0;
  std::string file = path("aliases-" + std::to_string(++counter) + ".txt");
  testing_support::writeFile(file, content);
  return file;
}

void PanelMachine::deployArchive(const std::string& host, const std::string& app) const {
  testing_support::makeDirectories(varTomcat() + "/hcp-wars/" + host);
  testing_support::writeFile(varTomcat() + "/hcp-wars/" + host + "/" + app + ".war", "PK archive of " + app);
}

size_t countOf(const std::string& haystack, const std::string& needle) {
  size_t count = 0;
  for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + needle.size()))
    ++count;
  return count;
}

}  // namespace cli
