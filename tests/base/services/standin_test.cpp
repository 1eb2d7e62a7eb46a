// The real POSIX stand-in in a sandbox machine: services defined in the
// settings store, run by the built hcpsvc, controlled through the wrapper.
// Every test stops what it started.

#include <gmock/gmock.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "base/errors/os_error.h"
#include "base/registry/registry.h"
#include "base/services/host_process.h"
#include "base/services/service.h"
#include "base/services/service_registry.h"
#include "base/services/status_record.h"
#include "base/text/convert.h"
#include "base/text/vaformat.h"
#include "support/child_process.h"
#include "support/failures.h"
#include "support/sandbox.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

struct Definition {
  std::wstring imagePath;
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

std::optional<StatusRecord> recordOf(const std::wstring& name) {
  std::optional<std::string> text = readStatusRecordText(name);
  return text ? parseStatusRecord(*text) : std::nullopt;
}

}  // namespace

class StandInTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing_support::pathExists(testing_support::binPath("hcpsvc")))
        << "the service host is not built: build the hcpsvc target";
  }

  void TearDown() override {
    for (const std::wstring& name : defined_) {
      // A host that has stopped its service needs a moment to exit.
      if (eventually([&] { return !serviceHostPid(name).has_value(); }, 3)) continue;
      std::optional<uint32_t> host = serviceHostPid(name);
      if (!host) continue;
      try {
        service::controlService(SERVICE_CONTROL_STOP, name);
      } catch (const vexception&) {
      }
      if (serviceHostPid(name)) testing_support::killProcess(*host);
      ADD_FAILURE() << "the test left service " << cstrLenient(name) << " running";
    }
  }

  void define(const std::wstring& name, const Definition& d) {
    registry::RegistryKey key =
        registry::create(registry::Root::LocalMachine, serviceKeyPath(name), registry::KEY_ALL_ACCESS);
    key.set(L"ImagePath", d.imagePath);
    if (!d.dependencies.empty()) key.setMulti(L"DependOnService", d.dependencies);
    if (!d.environment.empty()) key.setMulti(L"Environment", d.environment);
    if (d.readyPort) key.set(L"ReadyPort", *d.readyPort);
    key.set(L"WaitHint", d.waitHint);
    key.set(L"StopTimeout", d.stopTimeout);
    defined_.push_back(name);
  }

  static std::unique_ptr<ServiceManagerHandle> manager() {
    std::unique_ptr<ServiceManagerHandle> manager;
    EXPECT_EQ(0u, ServiceControl::Default().openManager(nullptr, nullptr, SC_MANAGER_ALL_ACCESS, manager));
    return manager;
  }
  std::unique_ptr<ServiceHandle> open(const std::wstring& name, uint32_t access = SERVICE_ALL_ACCESS) {
    std::unique_ptr<ServiceHandle> handle;
    EXPECT_EQ(0u, manager()->openService(name, access, handle));
    return handle;
  }

  testing_support::Sandbox sandbox;
  testing_support::ScopedEnv hostProgram{"HCP_SERVICE_HOST", testing_support::binPath("hcpsvc")};
  std::vector<std::wstring> defined_;
};

TEST_F(StandInTest, StartQueryStopAndStartAgain) {
  define(L"Sleeper", {L"sleep 1000"});
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
  std::optional<StatusRecord> record = recordOf(L"Sleeper");
  ASSERT_TRUE(record.has_value());
  EXPECT_EQ(serviceHostPid(L"Sleeper"), record->hostPid);
  EXPECT_TRUE(testing_support::processExists(record->processId));

  EXPECT_EQ(0u, service::controlService(SERVICE_CONTROL_STOP, L"sLeEpEr"));
  ServiceStatus stopped = statusOf(L"Sleeper");
  EXPECT_EQ(stopped.currentState, SERVICE_STOPPED);
  EXPECT_EQ(stopped.win32ExitCode, 0u);
  EXPECT_TRUE(eventually([&] { return !serviceHostPid(L"Sleeper").has_value(); }));
  EXPECT_TRUE(eventually([&] { return !testing_support::processExists(record->processId); }));

  service::startStopService(L"Sleeper", true);  // a start right after a stop succeeds
  // A killed host reads as stopped, takes the command along, and can be started again.
  record = recordOf(L"Sleeper");
  ASSERT_TRUE(record.has_value());
  ASSERT_TRUE(testing_support::killProcess(record->hostPid));
  ASSERT_TRUE(eventually([&] { return !serviceHostPid(L"Sleeper").has_value(); }));
  status = statusOf(L"Sleeper");
  EXPECT_EQ(status.currentState, SERVICE_STOPPED);
  EXPECT_EQ(status.win32ExitCode, ERROR_PROCESS_ABORTED);
  EXPECT_TRUE(eventually([&] { return !testing_support::processExists(record->processId); }));
  service::startStopService(L"Sleeper", true);
  service::startStopService(L"Sleeper", false);
}

TEST_F(StandInTest, ServicesThatEndByThemselvesReportTheirExitStatus) {
  define(L"Quitter", {.imagePath = L"sh -c 'sleep 0.3; exit 3'", .readyPort = testing_support::unusedLocalPort()});
  define(L"Short", {L"sh -c 'sleep 0.5; exit 5'"});
  EXPECT_EQ(0u, service::startService(L"Short"));    // running at once: no ready port
  EXPECT_EQ(service::startService(L"Quitter"), 3u);  // still start pending when it ends
  ASSERT_TRUE(eventually([&] { return statusOf(L"Short").currentState == SERVICE_STOPPED; }));
  for (auto [name, code] : {std::pair{L"Quitter", 3u}, std::pair{L"Short", 5u}}) {
    ServiceStatus status = statusOf(name);
    EXPECT_EQ(status.currentState, SERVICE_STOPPED) << code;
    EXPECT_EQ(status.win32ExitCode, ERROR_SERVICE_SPECIFIC_ERROR) << code;
    EXPECT_EQ(status.serviceSpecificExitCode, code);
  }
  EXPECT_TRUE(eventually([&] { return !serviceHostPid(L"Short").has_value(); }));
}

TEST_F(StandInTest, ReadyPortKeepsTheServiceStartPendingWithAdvancingCheckPoint) {
  if (std::system("command -v python3 >/dev/null 2>&1") != 0) GTEST_SKIP() << "python3 is needed for a listener";
  uint16_t port = testing_support::unusedLocalPort();
  std::wstring listener = vaformat(
      L"python3 -c \"import socket,time; time.sleep(2.5); s=socket.socket(); "
      L"s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1); s.bind(('127.0.0.1', %d)); s.listen(5); "
      L"time.sleep(1000)\"",
      port);
  define(L"Listener", {.imagePath = listener, .readyPort = port, .waitHint = 10000});

  ASSERT_EQ(0u, open(L"Listener")->start());
  ServiceStatus first = statusOf(L"Listener");
  EXPECT_EQ(first.currentState, SERVICE_START_PENDING);
  EXPECT_EQ(first.waitHint, 10000u);
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

TEST_F(StandInTest, DependenciesStartFirstAndDependentsStopFirst) {
  define(L"Base", {L"sleep 1000"});
  define(L"App", {L"sleep 1000", {L"base"}});
  define(L"Front", {L"sleep 1000", {L"App"}});
  define(L"Orphan", {L"sleep 1000", {L"Gone"}});

  // The manager itself does not start what a service depends on.
  EXPECT_EQ(open(L"App")->start(), ERROR_SERVICE_DEPENDENCY_FAIL);
  EXPECT_EQ(open(L"Orphan")->start(), ERROR_SERVICE_DEPENDENCY_DELETED);
  EXPECT_EQ(statusOf(L"Orphan").currentState, SERVICE_STOPPED);

  service::startStopService(L"Front", true);

  std::vector<std::wstring> dependents;
  service::dependentServices(dependents, L"Base", SERVICE_ACTIVE);
  EXPECT_THAT(dependents, ElementsAre(L"Front", L"App"));  // a service before what it depends on
  std::vector<std::wstring> dependencies = {};
  service::serviceDependencies(dependencies, L"Front");
  EXPECT_THAT(dependencies, ElementsAre(L"App"));

  service::startStopService(L"Base", false);
}

TEST_F(StandInTest, CommandsGetTheirEnvironmentKeepTheirOutputAndAreKilledAfterTheStopTimeout) {
  define(L"Stubborn", {.imagePath = L"sh -c 'trap \"\" TERM; while :; do sleep 0.2; done'", .stopTimeout = 1500});
  service::startStopService(L"Stubborn", true);
  std::optional<StatusRecord> record = recordOf(L"Stubborn");
  ASSERT_TRUE(record.has_value());

  EXPECT_EQ(0u, service::controlService(SERVICE_CONTROL_STOP, L"Stubborn"));
  EXPECT_EQ(statusOf(L"Stubborn").currentState, SERVICE_STOPPED);
  EXPECT_TRUE(eventually([&] { return !testing_support::processExists(record->processId); }));

  std::string out = sandbox.path("greeting.txt");
  define(L"Greeter", {L"sh -c 'echo \"$GREETING\" > \"$OUT\"; echo started; exec sleep 1000'",
                      {},
                      {L"GREETING=hello there", L"OUT=" + std::wstring(out.begin(), out.end())}});
  service::startStopService(L"Greeter", true);
  EXPECT_TRUE(eventually([&] { return testing_support::pathExists(out); }));
  EXPECT_TRUE(eventually([&] { return testing_support::readFile(out) == "hello there\n"; }));
  std::string log = sandbox.path("run/halvo/services/Greeter/output.log");
  EXPECT_TRUE(eventually([&] { return testing_support::readFile(log).find("started") != std::string::npos; }));
  service::startStopService(L"Greeter", false);
}

TEST_F(StandInTest, BadDefinitionsAreRefusedWithAClearError) {
  define(L"NoImage", {L""});
  {
    const auto e = testing_support::failureOf<VFileNotFoundException>([&] { service::startService(L"NoImage"); });
    EXPECT_THAT(e.message(), HasSubstr(L"at StartService 'NoImage'"));
  }

  define(L"BadPort", {.imagePath = L"sleep 1000", .readyPort = 70000});
  {
    const auto e = testing_support::failureOf<vexception>([&] { service::startService(L"BadPort"); });
    EXPECT_EQ(e.message(), L"Service 'BadPort': ReadyPort 70000 is not a TCP port (1 to 65535)");
  }

  define(L"BadEnvironment", {L"sleep 1000", {}, {L"NOEQUALS"}});
  {
    const auto e = testing_support::failureOf<vexception>([&] { service::startService(L"BadEnvironment"); });
    EXPECT_THAT(e.message(), HasSubstr(L"'NOEQUALS' is not of the form NAME=value"));
  }
  define(L"Sleeper", {L"sleep 1000"});
  {
    testing_support::ScopedEnv noHost("HCP_SERVICE_HOST", sandbox.path("no-such-hcpsvc"));
    EXPECT_THROW(service::startService(L"Sleeper"), VFileNotFoundException);
  }
  for (const wchar_t* name : {L"NoImage", L"BadPort", L"BadEnvironment", L"Sleeper"}) {
    EXPECT_EQ(statusOf(name).currentState, SERVICE_STOPPED);
  }
}

TEST_F(StandInTest, CreateAndDeleteWriteAndRemoveTheKey) {
  std::unique_ptr<ServiceManagerHandle> manager = StandInTest::manager();
  NewService definition;
  definition.name = L"Created";
  definition.binaryPathName = L"sleep 1000";
  definition.dependencies = {L"Other"};
  std::unique_ptr<ServiceHandle> created;
  ASSERT_EQ(0u, manager->createService(definition, SERVICE_ALL_ACCESS, created));
  defined_.push_back(L"Created");
  EXPECT_TRUE(service::exist(L"Created"));
  std::vector<std::wstring> dependencies = {};
  service::serviceDependencies(dependencies, L"Created");
  EXPECT_THAT(dependencies, ElementsAre(L"Other"));

  std::unique_ptr<ServiceHandle> again;
  EXPECT_EQ(manager->createService(definition, SERVICE_ALL_ACCESS, again), ERROR_SERVICE_EXISTS);
  definition.name = L"bad\\name";
  EXPECT_EQ(manager->createService(definition, SERVICE_ALL_ACCESS, again), ERROR_INVALID_NAME);

  EXPECT_EQ(open(L"Created", SERVICE_QUERY_STATUS)->remove(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(0u, created->remove());
  EXPECT_FALSE(service::exist(L"Created"));
}

TEST_F(StandInTest, ServiceDeletedWhileRunningGoesWhenItStops) {
  define(L"Sleeper", {L"sleep 1000"});
  service::startStopService(L"Sleeper", true);
  std::unique_ptr<ServiceHandle> handle = open(L"Sleeper");
  EXPECT_EQ(0u, handle->remove());
  EXPECT_EQ(handle->remove(), ERROR_SERVICE_MARKED_FOR_DELETE);
  EXPECT_TRUE(service::exist(L"Sleeper"));  // still there while it runs

  NewService definition;
  definition.name = L"Sleeper";
  definition.binaryPathName = L"sleep 1";
  std::unique_ptr<ServiceHandle> created;
  EXPECT_EQ(manager()->createService(definition, SERVICE_ALL_ACCESS, created), ERROR_SERVICE_MARKED_FOR_DELETE);

  // A handle keeps the rights it was opened with.
  std::unique_ptr<ServiceHandle> queryOnly = open(L"Sleeper", SERVICE_QUERY_STATUS);
  ServiceStatus status;
  EXPECT_EQ(0u, queryOnly->queryStatus(status));
  EXPECT_EQ(queryOnly->control(SERVICE_CONTROL_STOP, status), ERROR_ACCESS_DENIED);
  EXPECT_EQ(queryOnly->start(), ERROR_ACCESS_DENIED);
  std::unique_ptr<ServiceManagerHandle> remote;
  EXPECT_EQ(ServiceControl::Default().openManager(L"elsewhere", nullptr, SC_MANAGER_CONNECT, remote),
            ERROR_NOT_SUPPORTED);

  EXPECT_EQ(0u, service::controlService(SERVICE_CONTROL_STOP, L"Sleeper"));
  EXPECT_TRUE(eventually([&] { return !service::exist(L"Sleeper"); }));
}
