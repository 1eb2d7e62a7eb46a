// The platform's own service control manager running services in the built
// service host: the Service Control Manager with hcpsvc.exe on Windows, the
// stand-in in a sandbox machine on POSIX. The commands are POSIX programs,
// which Wine runs too. Every test stops and deletes what it made.

#include <gmock/gmock.h>

#include <chrono>
#include <functional>
#include <optional>
#include <thread>

#include "base/errors/os_error.h"
#include "base/registry/registry.h"
#include "base/services/service.h"
#include "base/services/service_registry.h"
#include "base/text/convert.h"
#include "base/text/vaformat.h"
#include "service_test_host.h"
#include "support/child_process.h"
#include "support/sandbox.h"
#include "support/under_wine.h"

using ::testing::ElementsAre;

namespace {

struct Definition {
  std::wstring command;
  std::vector<std::wstring> dependencies = {};
  std::vector<std::wstring> environment = {};
  std::optional<uint32_t> readyPort = std::nullopt;
  uint32_t waitHint = 1000;  // keeps the wrapper's polls at one second
  uint32_t stopTimeout = 5000;
};

// Polls until the condition holds or about `seconds` have passed.
bool eventually(const std::function<bool()>& condition, int seconds = 10) {
  for (int i = 0; i < seconds * 20; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return condition();
}

ServiceStatus statusOf(const std::wstring& name) {
  ServiceStatus status;
  service::queryStatusService(status, name);
  return status;
}

NewService newService(const std::wstring& name, const std::wstring& command,
                      const std::vector<std::wstring>& dependencies = {}) {
  NewService definition;
  definition.name = name;
  definition.binaryPathName = hostedImagePath(command);
  definition.dependencies = dependencies;
  return definition;
}

// What a start ends with: 0, the code reported, or the code of the failure.
uint32_t startResult(const std::wstring& name) {
  try {
    return service::startService(name);
  } catch (const vosexception& e) {
    return e.code();
  } catch (const vexception&) {
    return ERROR_INVALID_PARAMETER;
  }
}

}  // namespace

class ServiceManagerTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const std::wstring& name : defined_) remove(name, true);
  }

  static std::unique_ptr<ServiceManagerHandle> manager() {
    std::unique_ptr<ServiceManagerHandle> manager;
    EXPECT_EQ(0u, ServiceControl::Default().openManager(nullptr, nullptr, SC_MANAGER_ALL_ACCESS, manager));
    return manager;
  }
  static std::unique_ptr<ServiceHandle> open(const std::wstring& name, uint32_t access = SERVICE_ALL_ACCESS) {
    std::unique_ptr<ServiceHandle> handle;
    EXPECT_EQ(0u, manager()->openService(name, access, handle)) << cstrLenient(name);
    return handle;
  }

  // Stops the service if it runs (a failure when `left` says the test should
  // have stopped it) and deletes it.
  static void remove(const std::wstring& name, bool left) {
    if (!service::exist(name)) return;
    if (statusOf(name).currentState != SERVICE_STOPPED) {
      if (left) ADD_FAILURE() << "the test left service " << cstrLenient(name) << " running";
      service::controlService(SERVICE_CONTROL_STOP, name);
    }
    EXPECT_TRUE(eventually([&] { return hostGone(name); }, 5)) << cstrLenient(name);
    if (service::exist(name)) {
      EXPECT_EQ(0u, open(name)->remove()) << cstrLenient(name);
    }
  }

  void define(const std::wstring& name, const Definition& d) {
    remove(name, false);  // left over by a run that was cut short
    std::unique_ptr<ServiceHandle> created;
    ASSERT_EQ(0u, manager()->createService(newService(name, d.command, d.dependencies), SERVICE_ALL_ACCESS, created))
        << cstrLenient(name);
    defined_.push_back(name);
    registry::RegistryKey key =
        registry::open(registry::Root::LocalMachine, serviceKeyPath(name), registry::KEY_ALL_ACCESS);
    if (!d.environment.empty()) key.setMulti(L"Environment", d.environment);
    if (d.readyPort) key.set(L"ReadyPort", *d.readyPort);
    key.set(L"WaitHint", d.waitHint);
    key.set(L"StopTimeout", d.stopTimeout);
  }

  testing_support::Sandbox sandbox;
  testing_support::ScopedEnv hostProgram{"HCP_SERVICE_HOST", testing_support::binPath("hcpsvc")};
  std::vector<std::wstring> defined_;
};

TEST_F(ServiceManagerTest, StartQueryStopAndStartAgain) {
  define(L"Sleeper", {L"/bin/sleep 1000"});
  EXPECT_TRUE(service::exist(L"Sleeper"));
  EXPECT_EQ(statusOf(L"Sleeper").currentState, SERVICE_STOPPED);
  EXPECT_EQ(0u, service::controlService(SERVICE_CONTROL_STOP, L"Sleeper"));  // not running: success
  EXPECT_EQ(0u, service::controlService(SERVICE_CONTROL_STOP, L"Nowhere"));
  EXPECT_FALSE(service::exist(L"Nowhere"));
  ServiceStatus status;
  EXPECT_THROW(service::queryStatusService(status, L"Nowhere"), VServiceDoesNotExistException);
  EXPECT_THROW(service::queryStatusService(status, L"bad/name"), vosexception);

  // Names ignore letter case; a second start is refused by the manager.
  EXPECT_EQ(0u, service::startService(L"sleeper"));
  ServiceStatus running = statusOf(L"SLEEPER");
  EXPECT_EQ(running.currentState, SERVICE_RUNNING);
  EXPECT_EQ(running.controlsAccepted, SERVICE_ACCEPT_STOP);
  EXPECT_TRUE(service::isActive(L"Sleeper"));
  EXPECT_EQ(open(L"Sleeper")->start(), ERROR_SERVICE_ALREADY_RUNNING);
  EXPECT_EQ(0u, service::startService(L"Sleeper"));

  EXPECT_EQ(0u, service::controlService(SERVICE_CONTROL_STOP, L"sLeEpEr"));
  ServiceStatus stopped = statusOf(L"Sleeper");
  EXPECT_EQ(stopped.currentState, SERVICE_STOPPED);
  EXPECT_EQ(stopped.win32ExitCode, 0u);
  EXPECT_TRUE(eventually([&] { return hostGone(L"Sleeper"); }));
  service::startStopService(L"Sleeper", true);  // a start right after a stop succeeds
  service::startStopService(L"Sleeper", false);
}

TEST_F(ServiceManagerTest, CommandsThatEndByThemselvesReportTheirExitStatus) {
  define(L"Quitter", {.command = L"/bin/sh -c 'sleep 0.3; exit 3'", .readyPort = testing_support::unusedLocalPort()});
  // The environment's pairs reach the command: it ends with 5 only with them.
  define(L"Short", {L"/bin/sh -c 'sleep 0.5; test \"$GREETING\" = \"it'\\''s here\" && exit 5; exit 9'",
                    {},
                    {L"GREETING=it's here"}});
  EXPECT_EQ(0u, service::startService(L"Short"));    // running at once: no ready port
  EXPECT_EQ(service::startService(L"Quitter"), 3u);  // still start pending when it ends
  ASSERT_TRUE(eventually([&] { return statusOf(L"Short").currentState == SERVICE_STOPPED; }));
  for (auto [name, code] : {std::pair{L"Quitter", 3u}, std::pair{L"Short", 5u}}) {
    ServiceStatus status = statusOf(name);
    EXPECT_EQ(status.currentState, SERVICE_STOPPED) << code;
    EXPECT_EQ(status.win32ExitCode, ERROR_SERVICE_SPECIFIC_ERROR) << code;
    EXPECT_EQ(status.serviceSpecificExitCode, code);
  }
}

TEST_F(ServiceManagerTest, ReadyPortKeepsTheServiceStartPendingWithAdvancingCheckPoint) {
  uint16_t port = testing_support::unusedLocalPort();
  std::wstring listener = vaformat(
      L"/usr/bin/python3 -c \"import socket,time; time.sleep(2.5); s=socket.socket(); "
      L"s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1); s.bind(('127.0.0.1', %d)); s.listen(5); "
      L"time.sleep(1000)\"",
      port);
  define(L"Listener", {.command = listener, .readyPort = port, .waitHint = 10000});

  ASSERT_EQ(0u, open(L"Listener")->start());
  ASSERT_TRUE(eventually([&] { return statusOf(L"Listener").waitHint == 10000; }, 2)) << "the key's wait hint";
  EXPECT_EQ(statusOf(L"Listener").currentState, SERVICE_START_PENDING);
  uint32_t highestCheckPoint = 0;
  ASSERT_TRUE(eventually(
      [&] {
        ServiceStatus s = statusOf(L"Listener");
        if (s.currentState == SERVICE_START_PENDING) highestCheckPoint = std::max(highestCheckPoint, s.checkPoint);
        return s.currentState == SERVICE_RUNNING;
      },
      30));
  EXPECT_GE(highestCheckPoint, 1u);
  EXPECT_EQ(0u, service::controlService(SERVICE_CONTROL_STOP, L"Listener"));
}

TEST_F(ServiceManagerTest, CommandsIgnoringTheStopRequestAreKilledAfterTheStopTimeout) {
  define(L"Stubborn", {.command = L"/bin/sh -c 'trap \"\" TERM; while :; do sleep 0.2; done'", .stopTimeout = 1500});
  service::startStopService(L"Stubborn", true);
  ServiceStatus status;
  EXPECT_EQ(0u, open(L"Stubborn")->control(SERVICE_CONTROL_STOP, status));
  EXPECT_TRUE(eventually([&] { return statusOf(L"Stubborn").currentState == SERVICE_STOPPED; }, 8));
  EXPECT_EQ(statusOf(L"Stubborn").win32ExitCode, 0u);
}

TEST_F(ServiceManagerTest, BadDefinitionsDoNotStart) {
  define(L"BadPort", {.command = L"/bin/sleep 1000", .readyPort = 70000});
  define(L"BadEnvironment", {L"/bin/sleep 1000", {}, {L"NOEQUALS"}});
  for (const wchar_t* name : {L"BadPort", L"BadEnvironment"}) {
    EXPECT_NE(startResult(name), 0u) << cstrLenient(name);
    EXPECT_EQ(statusOf(name).currentState, SERVICE_STOPPED) << cstrLenient(name);
  }
}

TEST_F(ServiceManagerTest, DependenciesStartFirstAndDependentsStopFirst) {
  WC_SKIP_UNDER_WINE("its Service Control Manager keeps no dependencies");
  define(L"Base", {L"/bin/sleep 1000"});
  define(L"App", {L"/bin/sleep 1000", {L"base"}});
  define(L"Front", {L"/bin/sleep 1000", {L"App"}});
  service::startStopService(L"Front", true);
  EXPECT_TRUE(service::isActive(L"Base"));

  std::vector<std::wstring> dependents;
  service::dependentServices(dependents, L"Base", SERVICE_ACTIVE);
  EXPECT_THAT(dependents, ElementsAre(L"Front", L"App"));  // a service before what it depends on
  std::vector<std::wstring> dependencies = {};
  service::serviceDependencies(dependencies, L"Front");
  EXPECT_THAT(dependencies, ElementsAre(L"App"));

  service::startStopService(L"Base", false);
  EXPECT_EQ(statusOf(L"Front").currentState, SERVICE_STOPPED);
}

TEST_F(ServiceManagerTest, CreateAndDeleteAndTheRightsOfAHandle) {
  std::unique_ptr<ServiceManagerHandle> manager = ServiceManagerTest::manager();
  define(L"Created", {L"/bin/sleep 1000"});
  NewService definition = newService(L"created", L"/bin/sleep 1");
  std::unique_ptr<ServiceHandle> again;
  EXPECT_EQ(manager->createService(definition, SERVICE_ALL_ACCESS, again), ERROR_SERVICE_EXISTS);
  definition.name = L"bad\\name";
  EXPECT_EQ(manager->createService(definition, SERVICE_ALL_ACCESS, again), ERROR_INVALID_NAME);

  // A handle keeps the rights it was opened with.
  service::startStopService(L"Created", true);
  std::unique_ptr<ServiceHandle> queryOnly = open(L"Created", SERVICE_QUERY_STATUS);
  ServiceStatus status;
  EXPECT_EQ(0u, queryOnly->queryStatus(status));
  EXPECT_EQ(queryOnly->control(SERVICE_CONTROL_STOP, status), ERROR_ACCESS_DENIED);
  EXPECT_EQ(queryOnly->start(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(queryOnly->remove(), ERROR_ACCESS_DENIED);

  // Deleted while it runs, it stays until it stops.
  std::unique_ptr<ServiceHandle> handle = open(L"Created");
  EXPECT_EQ(0u, handle->remove());
  EXPECT_EQ(handle->remove(), ERROR_SERVICE_MARKED_FOR_DELETE);
  EXPECT_TRUE(service::exist(L"Created"));
  definition.name = L"Created";
  EXPECT_EQ(manager->createService(definition, SERVICE_ALL_ACCESS, again), ERROR_SERVICE_MARKED_FOR_DELETE);
  queryOnly.reset();
  handle.reset();
  EXPECT_EQ(0u, service::controlService(SERVICE_CONTROL_STOP, L"Created"));
  EXPECT_TRUE(eventually([&] { return !service::exist(L"Created"); }));
}
