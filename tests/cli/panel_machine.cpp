#include "cli/panel_machine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "base/registry/registry.h"
#include "base/services/service.h"
#include "base/services/service_control.h"
#include "base/services/service_registry.h"
#include "base/text/convert.h"
#include "support/test_context.h"

namespace wc {

using testing_support::context;

namespace cli {

namespace {

// Stops the service if it runs and deletes it; true when none is left.
bool removeService(const std::wstring& name) {
  if (!service::exist(context, name)) return true;
  service::controlService(context, SERVICE_CONTROL_STOP, name);
  // Wine keeps the key of a service deleted while its stop is pending.
  ServiceStatus status;
  for (int i = 0;
       i < 200 && service::queryStatusService(context, status, name) == 0 && status.currentState != SERVICE_STOPPED;
       ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  {
    std::unique_ptr<ServiceManagerHandle> manager;
    std::unique_ptr<ServiceHandle> handle;
    if (systemServiceControl().openManager(nullptr, nullptr, SC_MANAGER_ALL_ACCESS, manager) == 0 &&
        manager->openService(name, SERVICE_ALL_ACCESS, handle) == 0)
      handle->remove();
  }  // the deletion takes effect once the handles are closed
  return !service::exist(context, name);
}

void defineService(const ServiceDefinition& s) {
  const std::wstring name = wstrLenient(s.name);
  removeService(name);  // left by a run that was cut short
  NewService definition;
  definition.name = name;
  definition.binaryPathName = wstrLenient(hostedImagePath(s.command));
  if (!s.dependOnService.empty()) definition.dependencies = {wstrLenient(s.dependOnService)};
  std::unique_ptr<ServiceManagerHandle> manager;
  std::unique_ptr<ServiceHandle> created;
  if (systemServiceControl().openManager(nullptr, nullptr, SC_MANAGER_ALL_ACCESS, manager) != 0 ||
      manager->createService(definition, SERVICE_ALL_ACCESS, created) != 0) {
    ADD_FAILURE() << "cannot define the service " << s.name;
    return;
  }
  registry::RegistryKey key =
      registry::open(context, registry::Root::LocalMachine, serviceKeyPath(name), registry::KEY_ALL_ACCESS);
  if (s.readyPort) {
    key.set(L"ReadyPort", static_cast<uint32_t>(s.readyPort));
    key.set(L"WaitHint", uint32_t{3000});
  }
  if (s.stopTimeoutMs) key.set(L"StopTimeout", static_cast<uint32_t>(s.stopTimeoutMs));
}

}  // namespace

PanelMachine::PanelMachine(const std::string& provider, const std::vector<ServiceDefinition>& services)
    : services_(services) {
  writeSettings(/*debug=*/true, provider, "tomcat10");
  deleteRemovalWorkItem();
  for (const ServiceDefinition& s : services) defineService(s);
  testing_support::makeDirectories(tomcatHome() + "/conf");
  testing_support::writeFile(serverXmlPath(),
                             testing_support::readFile(std::string(WC_SOURCE_DIR) + "/tests/base/xml/data/server.xml"));
  managementService_ = std::make_unique<testing_support::RunningHcpsrv>();
  if (!managementService_->ready) ADD_FAILURE() << "the management service did not start";
}

PanelMachine::~PanelMachine() {
  // Dependents first.
  for (auto it = services_.rbegin(); it != services_.rend(); ++it) {
    EXPECT_TRUE(removeService(wstrLenient(it->name))) << "the service " << it->name << " is left behind";
  }
}

std::string PanelMachine::removalStorage() const {
  std::string storage = productRoot() + "/etc/DeferredRemovalStorage.xml";
  return testing_support::pathExists(storage) ? testing_support::readFile(storage) : "";
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

}  // namespace wc
