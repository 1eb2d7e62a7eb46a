// controlService: the request, the first wait for the state to move, the
// second wait while pending, and what is reported when the service does not
// get there.

#include <gmock/gmock.h>

#include "base/errors/os_error.h"
#include "service_test_fixture.h"
#include "support/failures.h"

namespace wc {

using ::testing::ElementsAre;
using testing_support::failureOf;

namespace {

void stopPendingOnStop(fake::Service& s, uint32_t waitHint) {
  s.onControl = [waitHint](fake::Service& s, uint32_t) {
    s.status.currentState = SERVICE_STOP_PENDING;
    s.status.waitHint = waitHint;
  };
}

}  // namespace

using ControlServiceTest = ServiceWrapperTest;

TEST_F(ControlServiceTest, StopWaitsEverySecondForTheStateToMoveThenAtATenthOfTheWaitHint) {
  fake::Service& s = manager.add(L"Tomcat", SERVICE_RUNNING);
  s.onControl = [](fake::Service&, uint32_t) {};  // takes its time to react
  s.onQuery = [](fake::Service& s, uint64_t now) {
    if (now >= 2000) s.status = {SERVICE_WIN32_OWN_PROCESS, SERVICE_STOP_PENDING, 0, 0, 0, 0, 20000};
    if (now >= 8000) s.status.currentState = SERVICE_STOPPED;
  };
  EXPECT_EQ(0u, service::controlService(context, SERVICE_CONTROL_STOP, L"Tomcat"));
  EXPECT_EQ(manager.calls.front(), L"open Tomcat 0x24");  // query status + stop
  EXPECT_THAT(calls(L"control"), ElementsAre(L"control Tomcat 1"));
  EXPECT_THAT(clock.sleeps, ElementsAre(1000u, 1000u, 2000u, 2000u, 2000u));
  EXPECT_EQ(log->count(LOG_WARNING), 0u);

  // One that never reacts is reported after sixty polls.
  fake::Service& deaf = manager.add(L"Deaf", SERVICE_RUNNING);
  deaf.status.controlsAccepted = SERVICE_ACCEPT_STOP;
  deaf.onControl = [](fake::Service&, uint32_t) {};
  EXPECT_EQ(service::controlService(context, SERVICE_CONTROL_STOP, L"Deaf"), ERROR_SERVICE_REQUEST_TIMEOUT);
  EXPECT_EQ(deaf.queries, 61);  // the state before, then sixty polls a second apart
  EXPECT_EQ(clock.elapsed(), 68000u);
  EXPECT_TRUE(log->contains(LOG_WARNING, L"controlService fail"));
  EXPECT_EQ(infoLines(), statusLines(deaf.status));

  // A request other than stop, pause and continue goes out as an
  // interrogation, which has no target state: it is reported as not reached.
  EXPECT_EQ(service::controlService(context, 77, L"Deaf"), ERROR_SERVICE_REQUEST_TIMEOUT);
  EXPECT_EQ(calls(L"control").back(), L"control Deaf 4");
  EXPECT_EQ(calls(L"open").back(), L"open Deaf 0x84");
}

TEST_F(ControlServiceTest, PendingWithoutProgressGivesUpAfterWaitHintPlusFiveMinutes) {
  // The wait hint, and the first poll past the limit.
  for (auto [waitHint, limit] : {std::pair{0u, 301000u}, std::pair{20000u, 322000u}, std::pair{500000u, 610000u}}) {
    manager.clear();
    const uint32_t begin = clock.elapsed();
    stopPendingOnStop(manager.add(L"Tomcat", SERVICE_RUNNING), waitHint);
    EXPECT_EQ(service::controlService(context, SERVICE_CONTROL_STOP, L"Tomcat"), ERROR_TIMEOUT) << waitHint;
    EXPECT_EQ(clock.elapsed() - begin, limit) << "wait hint " << waitHint;
  }
}

TEST_F(ControlServiceTest, TheTimeLimitCountsFromTheLastCheckPointProgress) {
  fake::Service& s = manager.add(L"Tomcat", SERVICE_RUNNING);
  stopPendingOnStop(s, 0);
  // One step every 200 s: far apart, but never 300 s without progress.
  s.onQuery = [](fake::Service& s, uint64_t now) {
    s.status.checkPoint = static_cast<uint32_t>(now / 200000);
    if (now >= 1000000) s.status.currentState = SERVICE_STOPPED;
  };
  EXPECT_EQ(0u, service::controlService(context, SERVICE_CONTROL_STOP, L"Tomcat"));
  EXPECT_EQ(clock.elapsed(), 1000000u);

  // One step after 250 s: the limit runs from there.
  fake::Service& late = manager.add(L"Late", SERVICE_RUNNING);
  stopPendingOnStop(late, 0);
  late.onQuery = [](fake::Service& s, uint64_t now) {
    if (now >= 1250000) s.status.checkPoint = 1;
  };
  EXPECT_EQ(service::controlService(context, SERVICE_CONTROL_STOP, L"Late"), ERROR_TIMEOUT);
  EXPECT_EQ(clock.elapsed(), 1551000u);
}

TEST_F(ControlServiceTest, FailedQueryEndsTheSecondWaitWithItsCodeAndTheFirstByThrowing) {
  fake::Service& s = manager.add(L"Tomcat", SERVICE_RUNNING);
  stopPendingOnStop(s, 0);
  s.failQueriesFrom = 4;  // before, first wait, one poll of the second wait
  s.queryError = ERROR_INVALID_HANDLE;
  EXPECT_EQ(service::controlService(context, SERVICE_CONTROL_STOP, L"Tomcat"), ERROR_INVALID_HANDLE);
  EXPECT_TRUE(log->contains(LOG_WARNING, L"controlService fail"));

  fake::Service& slow = manager.add(L"Slow", SERVICE_RUNNING);
  slow.onControl = [](fake::Service&, uint32_t) {};
  slow.failQueriesFrom = 3;
  slow.queryError = ERROR_INVALID_HANDLE;
  log->lines.clear();
  const auto e = failureOf<vosexception>([&] { service::controlService(context, SERVICE_CONTROL_STOP, L"Slow"); });
  EXPECT_EQ(e.message(), osErrorText(ERROR_INVALID_HANDLE, L"QueryServiceStatus 'Slow'"));
  EXPECT_EQ(infoLines(), statusLines(slow.status));
}

TEST_F(ControlServiceTest, StoppingWhatDoesNotRunIsSuccessAndAManagerThatDoesNotOpenThrows) {
  EXPECT_EQ(0u, service::controlService(context, SERVICE_CONTROL_STOP, L"Missing"));
  manager.add(L"Stopped", SERVICE_STOPPED);  // the default answer is 1062
  EXPECT_EQ(0u, service::controlService(context, SERVICE_CONTROL_STOP, L"Stopped"));
  for (uint32_t error : {ERROR_BROKEN_PIPE, ERROR_INVALID_SERVICE_CONTROL, ERROR_SERVICE_CANNOT_ACCEPT_CTRL}) {
    manager.add(L"Refuses", SERVICE_RUNNING).controlError = error;
    EXPECT_EQ(0u, service::controlService(context, SERVICE_CONTROL_STOP, L"Refuses")) << error;
  }
  EXPECT_TRUE(clock.sleeps.empty());
  EXPECT_EQ(log->count(LOG_WARNING), 0u);

  manager.managerError = ERROR_ACCESS_DENIED;
  const auto refused =
      failureOf<VAccessDeniedException>([&] { service::controlService(context, SERVICE_CONTROL_STOP, L"Tomcat"); });
  EXPECT_EQ(refused.message(), osErrorText(ERROR_ACCESS_DENIED, L"OpenSCManager"));
  EXPECT_EQ(refused.callPoints()[0].function, "`anonymous-namespace'::servicemanager::servicemanager");
  EXPECT_EQ(manager.managerAccess, SC_MANAGER_CONNECT);
}

}  // namespace wc
