// One table of scenarios run against the fake manager of the wrapper's tests
// and against the platform's own (the stand-in with hcpsvc on POSIX, the
// Service Control Manager with hcpsvc.exe on Windows): the fake may answer
// nothing that the real manager would not. The fake plays each service the way
// the real host runs its command, in real time.

#include <gmock/gmock.h>

#include "base/errors/win_error_codes.h"
#include "service_manager_fixture.h"
#include "support/child_process.h"
#include "support/contract.h"
#include "support/service_fakes.h"

namespace wc {

using ::testing::AnyOf;

namespace {

// Short enough for bounded waits: the wrapper polls once a second.
constexpr uint32_t kWaitHint = 1000;
constexpr uint32_t kStopTimeout = 2000;

// What the service's command does.
struct Behaviour {
  bool becomesReady = true;  // false: start pending until stopped
  bool ignoresStop = false;  // true: it ends only when killed after the stop timeout
};

class RealMachine : public RealServices {
 public:
  static constexpr const char* kName = "Real";
  void define(const std::wstring& name, Behaviour b) {
    const uint32_t port = testing_support::unusedLocalPort();
    std::wstring command = L"/bin/sleep 1000";
    if (b.ignoresStop && b.becomesReady) {
      // Ready only once SIGTERM is ignored: a stop that came before would end it.
      command =
          L"/usr/bin/python3 -c \"import signal, socket, time; signal.signal(signal.SIGTERM, signal.SIG_IGN); "
          L"s = socket.socket(); s.bind((socket.inet_ntoa(bytes([127, 0, 0, 1])), " +
          std::to_wstring(port) + L")); s.listen(); time.sleep(1000)\"";
    } else if (b.ignoresStop) {
      command = L"/bin/sh -c 'trap \"\" TERM; while :; do sleep 0.2; done'";
    }
    RealServices::define(name,
                         {.command = command,
                          .readyPort = b.ignoresStop || !b.becomesReady ? std::optional<uint32_t>(port) : std::nullopt,
                          .waitHint = kWaitHint,
                          .stopTimeout = kStopTimeout});
  }
};

class FakeMachine {
 public:
  static constexpr const char* kName = "Fake";
  void define(const std::wstring& name, Behaviour b) {
    fake::Service& s = manager.add(name, SERVICE_STOPPED);
    auto stoppedAt = std::make_shared<uint64_t>(0);
    s.onStart = [b](fake::Service& s) {
      s.status.currentState = b.becomesReady ? SERVICE_RUNNING : SERVICE_START_PENDING;
      s.status.controlsAccepted = SERVICE_ACCEPT_STOP;
      s.status.waitHint = b.becomesReady ? 0 : kWaitHint;
    };
    s.onControl = [this, b, stoppedAt](fake::Service& s, uint32_t request) {
      if (request != SERVICE_CONTROL_STOP) return;
      s.status = {SERVICE_WIN32_OWN_PROCESS, SERVICE_STOP_PENDING, 0, 0, 0, 0, kWaitHint};
      *stoppedAt = manager.clock.tickCount() + (b.ignoresStop ? kStopTimeout : 0);
    };
    s.onQuery = [stoppedAt](fake::Service& s, uint64_t now) {
      if (s.status.currentState == SERVICE_STOP_PENDING && now >= *stoppedAt) {
        s.status = {SERVICE_WIN32_OWN_PROCESS, SERVICE_STOPPED, 0, 0, 0, 0, 0};
      }
    };
  }
  fake::ServiceManager manager{systemClock()};  // in real time, as the real services
  const Context context = testing_support::testContext(manager);
};

template <class Machine>
class ServiceContractTest : public ::testing::Test {
 protected:
  std::unique_ptr<ServiceHandle> open(const std::wstring& name, uint32_t access = SERVICE_ALL_ACCESS) {
    std::unique_ptr<ServiceManagerHandle> manager;
    EXPECT_EQ(0u, context.services->openManager(nullptr, nullptr, SC_MANAGER_CONNECT, manager));
    std::unique_ptr<ServiceHandle> handle;
    EXPECT_EQ(0u, manager->openService(name, access, handle));
    return handle;
  }
  bool reaches(const std::wstring& name, uint32_t state, uint32_t controlsAccepted = 0) {
    return eventually([&] {
      ServiceStatus s = statusOf(context, name);
      return s.currentState == state && s.controlsAccepted == controlsAccepted;
    });
  }
  // Starts the service and waits until its command runs and takes a stop.
  std::unique_ptr<ServiceHandle> running(const std::wstring& name, Behaviour b = {}) {
    machine.define(name, b);
    std::unique_ptr<ServiceHandle> handle = open(name);
    EXPECT_EQ(0u, handle->start());
    EXPECT_TRUE(reaches(name, b.becomesReady ? SERVICE_RUNNING : SERVICE_START_PENDING, SERVICE_ACCEPT_STOP));
    return handle;
  }

  Machine machine;
  const Context& context = machine.context;
  ServiceStatus status;
};

using Machines = ::testing::Types<FakeMachine, RealMachine>;
TYPED_TEST_SUITE(ServiceContractTest, Machines, testing_support::MachineNames);

}  // namespace

TYPED_TEST(ServiceContractTest, AStoppedServiceStartsOnceAndAStopEndsIt) {
  this->machine.define(L"Sleeper", {});
  std::unique_ptr<ServiceHandle> handle = this->open(L"Sleeper");
  EXPECT_EQ(handle->control(SERVICE_CONTROL_STOP, this->status), ERROR_SERVICE_NOT_ACTIVE);
  EXPECT_EQ(0u, handle->start());
  ASSERT_TRUE(this->reaches(L"Sleeper", SERVICE_RUNNING, SERVICE_ACCEPT_STOP));
  EXPECT_EQ(handle->start(), ERROR_SERVICE_ALREADY_RUNNING);

  EXPECT_EQ(0u, handle->control(SERVICE_CONTROL_STOP, this->status));
  EXPECT_THAT(this->status.currentState, AnyOf(SERVICE_STOP_PENDING, SERVICE_STOPPED));
  ASSERT_TRUE(this->reaches(L"Sleeper", SERVICE_STOPPED));
  EXPECT_EQ(statusOf(this->context, L"Sleeper").win32ExitCode, 0u);
  EXPECT_EQ(handle->control(SERVICE_CONTROL_STOP, this->status), ERROR_SERVICE_NOT_ACTIVE);
}

TYPED_TEST(ServiceContractTest, AServiceOnItsWayDownTakesNoRequestAndIsStartedOnceDown) {
  std::unique_ptr<ServiceHandle> handle = this->running(L"Stubborn", {.ignoresStop = true});
  EXPECT_EQ(0u, handle->control(SERVICE_CONTROL_STOP, this->status));
  EXPECT_EQ(this->status.currentState, SERVICE_STOP_PENDING);
  EXPECT_EQ(handle->start(), ERROR_SERVICE_ALREADY_RUNNING);
  for (uint32_t request : {SERVICE_CONTROL_STOP, SERVICE_CONTROL_INTERROGATE}) {
    EXPECT_EQ(handle->control(request, this->status), ERROR_SERVICE_CANNOT_ACCEPT_CTRL) << request;
    EXPECT_EQ(this->status.currentState, SERVICE_STOP_PENDING) << request;
  }
  EXPECT_EQ(0u, service::startService(this->context, L"Stubborn"));
  EXPECT_EQ(statusOf(this->context, L"Stubborn").currentState, SERVICE_RUNNING);
  EXPECT_EQ(0u, service::controlService(this->context, SERVICE_CONTROL_STOP, L"Stubborn"));
}

// ControlService's documentation counts start pending among the states that
// answer 1061; SetServiceStatus's warns that a start-pending service that
// accepts controls gets them. The host accepts a stop while it waits for its
// port, and Wine's manager delivers it.
TYPED_TEST(ServiceContractTest, AServiceThatNeverComesUpTakesOnlyAStop) {
  std::unique_ptr<ServiceHandle> handle = this->running(L"Never", {.becomesReady = false, .ignoresStop = true});
  EXPECT_EQ(statusOf(this->context, L"Never").waitHint, kWaitHint);
  EXPECT_EQ(handle->control(SERVICE_CONTROL_INTERROGATE, this->status), ERROR_SERVICE_CANNOT_ACCEPT_CTRL);
  EXPECT_EQ(this->status.currentState, SERVICE_START_PENDING);
  EXPECT_EQ(0u,
            service::controlService(this->context, SERVICE_CONTROL_STOP, L"Never"));  // killed after the stop timeout
  EXPECT_EQ(statusOf(this->context, L"Never").currentState, SERVICE_STOPPED);
  EXPECT_EQ(statusOf(this->context, L"Never").win32ExitCode, 0u);
}

TYPED_TEST(ServiceContractTest, AnUnknownServiceAndAHandleWithoutTheRight) {
  std::unique_ptr<ServiceManagerHandle> manager;
  ASSERT_EQ(0u, this->context.services->openManager(nullptr, nullptr, SC_MANAGER_CONNECT, manager));
  std::unique_ptr<ServiceHandle> handle;
  EXPECT_EQ(manager->openService(L"Nowhere", SERVICE_QUERY_STATUS, handle), ERROR_SERVICE_DOES_NOT_EXIST);
  EXPECT_FALSE(service::exist(this->context, L"Nowhere"));
  EXPECT_EQ(0u, service::controlService(this->context, SERVICE_CONTROL_STOP, L"Nowhere"));

  this->running(L"Sleeper");
  std::unique_ptr<ServiceHandle> queryOnly = this->open(L"Sleeper", SERVICE_QUERY_STATUS);
  EXPECT_EQ(0u, queryOnly->queryStatus(this->status));
  EXPECT_EQ(queryOnly->control(SERVICE_CONTROL_STOP, this->status), ERROR_ACCESS_DENIED);
  EXPECT_EQ(queryOnly->start(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(queryOnly->remove(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(0u, service::controlService(this->context, SERVICE_CONTROL_STOP, L"Sleeper"));
}

}  // namespace wc
