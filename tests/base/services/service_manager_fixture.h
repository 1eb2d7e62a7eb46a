#pragma once
// Tests of the platform's own service control manager running services in
// the built service host: the Service Control Manager with hcpsvc.exe on
// Windows, the stand-in in a sandbox machine on POSIX. The commands are POSIX
// command lines, which Wine runs too. Every test stops and deletes what it
// defined.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <thread>

#include "base/registry/registry.h"
#include "base/services/service.h"
#include "base/services/service_registry.h"
#include "base/text/convert.h"
#include "support/sandbox.h"
#include "support/test_context.h"

namespace wc {

// The ImagePath of a service that runs `command` in the built service host.
std::wstring hostedImagePath(const std::wstring& command);
// Whether no host process of the service is left.
bool hostGone(const std::wstring& name);

// Polls until the condition holds or about `seconds` have passed.
inline bool eventually(const std::function<bool()>& condition, int seconds = 10) {
  for (int i = 0; i < seconds * 20 && !condition(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  return condition();
}

inline ServiceStatus statusOf(const Context& context, const std::wstring& name) {
  ServiceStatus status;
  service::queryStatusService(context, status, name);
  return status;
}

struct Definition {
  std::wstring command;
  std::vector<std::wstring> dependencies = {};
  std::vector<std::wstring> environment = {};
  std::optional<uint32_t> readyPort = std::nullopt;
  uint32_t waitHint = 1000;  // keeps the wrapper's polls at one second
  uint32_t stopTimeout = 5000;
};

// The platform's manager in a private machine; what was defined through it is
// stopped and deleted at the end.
class RealServices {
 public:
  ~RealServices() {
    for (const std::wstring& name : defined_) remove(name, true);
  }

  static std::unique_ptr<ServiceManagerHandle> manager() {
    std::unique_ptr<ServiceManagerHandle> manager;
    EXPECT_EQ(0u, systemServiceControl().openManager(nullptr, nullptr, SC_MANAGER_ALL_ACCESS, manager));
    return manager;
  }
  static std::unique_ptr<ServiceHandle> open(const std::wstring& name, uint32_t access = SERVICE_ALL_ACCESS) {
    std::unique_ptr<ServiceHandle> handle;
    EXPECT_EQ(0u, manager()->openService(name, access, handle)) << cstrLenient(name);
    return handle;
  }
  static NewService newService(const std::wstring& name, const Definition& d) {
    NewService definition;
    definition.name = name;
    definition.binaryPathName = hostedImagePath(d.command);
    definition.dependencies = d.dependencies;
    return definition;
  }

  // Stops the service if it runs (a failure when the test should have
  // stopped it) and deletes it.
  void remove(const std::wstring& name, bool leftByTheTest) {
    if (!service::exist(context, name)) return;
    if (statusOf(context, name).currentState != SERVICE_STOPPED) {
      if (leftByTheTest) ADD_FAILURE() << "the test left service " << cstrLenient(name) << " running";
      service::controlService(context, SERVICE_CONTROL_STOP, name);
    }
    EXPECT_TRUE(eventually([&] { return hostGone(name); }, 5)) << cstrLenient(name);
    if (service::exist(context, name)) {
      EXPECT_EQ(0u, open(name)->remove()) << cstrLenient(name);
    }
  }

  // Creates the service (deleting one left by a run that was cut short) and
  // returns its key.
  registry::RegistryKey define(const std::wstring& name, const Definition& d) {
    remove(name, false);
    std::unique_ptr<ServiceHandle> created;
    EXPECT_EQ(0u, manager()->createService(newService(name, d), SERVICE_ALL_ACCESS, created)) << cstrLenient(name);
    defined_.push_back(name);
    registry::RegistryKey key =
        registry::open(context, registry::Root::LocalMachine, serviceKeyPath(name), registry::KEY_ALL_ACCESS);
    if (!d.environment.empty()) key.setMulti(L"Environment", d.environment);
    if (d.readyPort) key.set(L"ReadyPort", *d.readyPort);
    key.set(L"WaitHint", d.waitHint);
    key.set(L"StopTimeout", d.stopTimeout);
    return key;
  }

  testing_support::Sandbox sandbox;
  const Context context = testing_support::machineContext();
  testing_support::ScopedEnv hostProgram{"HCP_SERVICE_HOST", testing_support::binPath("hcpsvc")};
  std::vector<std::wstring> defined_;
};

class ServiceManagerTest : public ::testing::Test, public RealServices {};

}  // namespace wc
