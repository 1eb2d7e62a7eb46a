// startService: what it does in each state, the wait while start pending, and
// the code it reports for a service that did not come up.

#include <gmock/gmock.h>

#include "base/errors/os_error.h"
#include "service_test_fixture.h"
#include "support/failures.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using StartServiceTest = ServiceWrapperTest;

TEST_F(StartServiceTest, StoppedServiceIsStartedAndWaitedOnWhileStartPending) {
  fake::Service& s = manager.add(L"Tomcat", SERVICE_STOPPED);
  s.onStart = [](fake::Service& s) {
    s.status.currentState = SERVICE_START_PENDING;
    s.status.waitHint = 30000;
  };
  s.onQuery = [](fake::Service& s, uint64_t now) {
    if (now >= 9000) s.status.currentState = SERVICE_RUNNING;
  };
  EXPECT_EQ(0u, service::startService(L"Tomcat"));
  EXPECT_EQ(manager.calls.front(), L"open Tomcat 0xf01ff");
  EXPECT_THAT(calls(L"start"), ElementsAre(L"start Tomcat"));
  EXPECT_THAT(clock.sleeps, ElementsAre(3000u, 3000u, 3000u));
  EXPECT_EQ(log->count(LOG_WARNING), 0u);
}

TEST_F(StartServiceTest, RunningOrStartPendingServiceIsOnlyWaitedOn) {
  manager.add(L"Running", SERVICE_RUNNING);
  EXPECT_EQ(0u, service::startService(L"Running"));
  EXPECT_TRUE(clock.sleeps.empty());

  fake::Service& pending = manager.add(L"Pending", SERVICE_START_PENDING);
  pending.onQuery = [](fake::Service& s, uint64_t now) {
    if (now >= 2000) s.status.currentState = SERVICE_RUNNING;
  };
  EXPECT_EQ(0u, service::startService(L"Pending"));
  EXPECT_THAT(calls(L"start"), IsEmpty());
  EXPECT_THAT(calls(L"control"), IsEmpty());

  // An "already running" answer to the start is no failure.
  fake::Service& racing = manager.add(L"Racing", SERVICE_STOPPED);
  racing.startError = ERROR_SERVICE_ALREADY_RUNNING;
  racing.onQuery = [](fake::Service& s, uint64_t) { s.status.currentState = SERVICE_RUNNING; };
  EXPECT_EQ(0u, service::startService(L"Racing"));
}

TEST_F(StartServiceTest, StopPendingServiceIsStoppedFirstThenStarted) {
  fake::Service& s = manager.add(L"Tomcat", SERVICE_STOP_PENDING);
  s.status.waitHint = 5000;
  s.onControl = [](fake::Service&, uint32_t) {};  // already on its way down
  s.onQuery = [](fake::Service& s, uint64_t now) {
    if (s.status.currentState == SERVICE_STOP_PENDING && now >= 4000) s.status.currentState = SERVICE_STOPPED;
  };
  EXPECT_EQ(0u, service::startService(L"Tomcat"));
  EXPECT_THAT(calls(L"control"), ElementsAre(L"control Tomcat 1"));
  EXPECT_THAT(calls(L"start"), ElementsAre(L"start Tomcat"));
  EXPECT_EQ(s.status.currentState, SERVICE_RUNNING);

  // One that does not stop is not started.
  manager.add(L"Stuck", SERVICE_STOP_PENDING).onControl = [](fake::Service&, uint32_t) {};
  EXPECT_EQ(service::startService(L"Stuck"), ERROR_TIMEOUT);
  EXPECT_THAT(calls(L"start"), ElementsAre(L"start Tomcat"));
}

TEST_F(StartServiceTest, PausedServicesAreContinued) {
  manager.add(L"Paused", SERVICE_PAUSED);
  manager.add(L"Continuing", SERVICE_CONTINUE_PENDING);
  manager.add(L"Pausing", SERVICE_PAUSE_PENDING).onControl = [](fake::Service& s, uint32_t request) {
    s.status.currentState = request == SERVICE_CONTROL_PAUSE ? SERVICE_PAUSED : SERVICE_RUNNING;
  };
  EXPECT_EQ(0u, service::startService(L"Paused"));
  EXPECT_EQ(0u, service::startService(L"Continuing"));
  EXPECT_EQ(0u, service::startService(L"Pausing"));
  EXPECT_THAT(calls(L"control"),
              ElementsAre(L"control Paused 3", L"control Continuing 3", L"control Pausing 2", L"control Pausing 3"));
  EXPECT_THAT(calls(L"start"), IsEmpty());
}

TEST_F(StartServiceTest, RefusedStartOrFailedQueryThrows) {
  manager.add(L"Tomcat", SERVICE_STOPPED).startError = ERROR_SERVICE_DISABLED;
  const auto e = testing_support::failureOf<vosexception>([&] { service::startService(L"Tomcat"); });
  EXPECT_EQ(e.code(), ERROR_SERVICE_DISABLED);
  EXPECT_THAT(e.message(), ::testing::EndsWith(L"(Error code 1058) at StartService 'Tomcat'"));
  EXPECT_EQ(e.callPoints()[0].function, "service::startService");
  EXPECT_THROW(service::startService(L"Missing"), VServiceDoesNotExistException);

  fake::Service& pending = manager.add(L"Pending", SERVICE_START_PENDING);
  pending.failQueriesFrom = 2;
  pending.queryError = ERROR_INVALID_HANDLE;
  const auto query = testing_support::failureOf<vosexception>([&] { service::startService(L"Pending"); });
  EXPECT_EQ(query.message(), L"The handle is invalid. (Error code 6) at QueryServiceStatus 'Pending'");
  EXPECT_EQ(query.callPoints()[0].function, "service::startService");
}

TEST_F(StartServiceTest, ServiceDyingWhileStartPendingReportsItsOwnCode) {
  fake::Service& s = manager.add(L"Tomcat", SERVICE_STOPPED);
  s.onStart = [](fake::Service& s) {
    s.status.currentState = SERVICE_START_PENDING;
    s.status.waitHint = 10000;
  };
  s.onQuery = [](fake::Service& s, uint64_t now) {
    if (now >= 2000) {
      s.status = ServiceStatus{SERVICE_WIN32_OWN_PROCESS, SERVICE_STOPPED, 0, ERROR_SERVICE_SPECIFIC_ERROR, 42, 0, 0};
    }
  };
  EXPECT_EQ(service::startService(L"Tomcat"), 42u);
  EXPECT_TRUE(log->contains(LOG_WARNING, L"StartService 'Tomcat' failed"));
  EXPECT_EQ(infoLines(), statusLines(s.status));
  EXPECT_THAT(infoLines(), ::testing::Contains(L"  Service Specific Exit Code: 42"));
}

TEST_F(StartServiceTest, StartStopServiceTurnsTheFailureIntoStartServiceException) {
  fake::Service& s = manager.add(L"Tomcat", SERVICE_STOPPED);
  s.onStart = [](fake::Service& s) {
    s.status = ServiceStatus{SERVICE_WIN32_OWN_PROCESS, SERVICE_STOPPED, 0, ERROR_SERVICE_SPECIFIC_ERROR, 42, 0, 0};
  };
  const auto e = testing_support::failureOf<vosexception>([&] { service::startStopService(L"Tomcat", true); });
  EXPECT_EQ(e.code(), 42u);
  EXPECT_EQ(e.message(), L"Unknown error (Error code 42) at Start service Tomcat");
  EXPECT_EQ(e.callPoints()[0].function, "service::startStopService");
}

TEST_F(StartServiceTest, ResultFallsBackToExitCodeThenToTheState) {
  struct Case {
    uint32_t exitCode, specific, expected;
  };
  for (Case c : {Case{ERROR_PROCESS_ABORTED, 9, ERROR_PROCESS_ABORTED}, Case{ERROR_SERVICE_SPECIFIC_ERROR, 0, 1},
                 Case{0, 0, SERVICE_STOPPED}}) {
    manager.clear();
    fake::Service& s = manager.add(L"Tomcat", SERVICE_STOPPED);
    s.onStart = [c](fake::Service& s) {
      s.status.win32ExitCode = c.exitCode;
      s.status.serviceSpecificExitCode = c.specific;
    };
    EXPECT_EQ(service::startService(L"Tomcat"), c.expected) << c.exitCode << "/" << c.specific;
  }
}

TEST_F(StartServiceTest, StartPendingIsWaitedOnOnlyWhileItProgresses) {
  fake::Service& s = manager.add(L"Tomcat", SERVICE_STOPPED);
  s.onStart = [](fake::Service& s) {
    s.status.currentState = SERVICE_START_PENDING;
    s.status.waitHint = 0;
  };
  EXPECT_EQ(service::startService(L"Tomcat"), ERROR_TIMEOUT);
  EXPECT_EQ(clock.elapsed(), 301000u);
  EXPECT_TRUE(log->contains(LOG_WARNING, L"StartService 'Tomcat' failed"));

  // Slow progress is waited on beyond the cap.
  fake::Service& slow = manager.add(L"Slow", SERVICE_STOPPED);
  slow.onStart = [](fake::Service& s) {
    s.status.currentState = SERVICE_START_PENDING;
    s.status.waitHint = 60000;
  };
  slow.onQuery = [](fake::Service& s, uint64_t now) {
    s.status.checkPoint = static_cast<uint32_t>((now - 301000) / 120000);
    if (now >= 1201000) s.status.currentState = SERVICE_RUNNING;
  };
  EXPECT_EQ(0u, service::startService(L"Slow"));
  EXPECT_EQ(clock.elapsed(), 1201000u);
}
