// startService: what it does in each state, the wait while start pending, and
// the code it reports for a service that did not come up.

#include <gmock/gmock.h>

#include "base/errors/os_error.h"
#include "base/text/convert.h"
#include "service_test_fixture.h"
#include "support/failures.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing_support::failureOf;

namespace {

void startPendingOnStart(fake::Service& s, uint32_t waitHint) {
  s.onStart = [waitHint](fake::Service& s) {
    s.status.currentState = SERVICE_START_PENDING;
    s.status.waitHint = waitHint;
  };
}

}  // namespace

using StartServiceTest = ServiceWrapperTest;

TEST_F(StartServiceTest, StoppedServiceIsStartedAndWaitedOnWhileStartPending) {
  fake::Service& s = manager.add(L"Tomcat", SERVICE_STOPPED);
  startPendingOnStart(s, 30000);
  s.onQuery = [](fake::Service& s, uint64_t now) {
    if (now >= 9000) s.status.currentState = SERVICE_RUNNING;
  };
  EXPECT_EQ(0u, service::startService(L"Tomcat"));
  EXPECT_EQ(manager.calls.front(), L"open Tomcat 0xf01ff");
  EXPECT_THAT(calls(L"start"), ElementsAre(L"start Tomcat"));
  EXPECT_THAT(clock.sleeps, ElementsAre(3000u, 3000u, 3000u));
  EXPECT_EQ(log->count(LOG_WARNING), 0u);
}

TEST_F(StartServiceTest, ServicesUnderWayAreWaitedOnAndPausedOnesContinued) {
  manager.add(L"Running", SERVICE_RUNNING);
  manager.add(L"Pending", SERVICE_START_PENDING).onQuery = [](fake::Service& s, uint64_t now) {
    if (now >= 2000) s.status.currentState = SERVICE_RUNNING;
  };
  // An "already running" answer to the start is no failure.
  fake::Service& racing = manager.add(L"Racing", SERVICE_STOPPED);
  racing.startError = ERROR_SERVICE_ALREADY_RUNNING;
  racing.onQuery = [](fake::Service& s, uint64_t) {
    if (s.queries > 1) s.status.currentState = SERVICE_RUNNING;  // once the start was asked for
  };
  manager.add(L"Paused", SERVICE_PAUSED);
  manager.add(L"Continuing", SERVICE_CONTINUE_PENDING);
  manager.add(L"Pausing", SERVICE_PAUSE_PENDING).onControl = [](fake::Service& s, uint32_t request) {
    s.status.currentState = request == SERVICE_CONTROL_PAUSE ? SERVICE_PAUSED : SERVICE_RUNNING;
  };
  for (const wchar_t* name : {L"Running", L"Pending", L"Racing", L"Paused", L"Continuing", L"Pausing"}) {
    EXPECT_EQ(0u, service::startService(name)) << cstrLenient(name);
  }
  EXPECT_THAT(calls(L"start"), ElementsAre(L"start Racing"));
  EXPECT_THAT(calls(L"control"),
              ElementsAre(L"control Paused 3", L"control Continuing 3", L"control Pausing 2", L"control Pausing 3"));
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

TEST_F(StartServiceTest, AServiceThatDoesNotComeUpReportsItsOwnCodeElseItsExitCodeElseItsState) {
  struct Case {
    uint32_t exitCode, specific, expected;
  };
  for (Case c : {Case{ERROR_SERVICE_SPECIFIC_ERROR, 42, 42}, Case{ERROR_PROCESS_ABORTED, 9, ERROR_PROCESS_ABORTED},
                 Case{ERROR_SERVICE_SPECIFIC_ERROR, 0, 1}, Case{0, 0, SERVICE_STOPPED}}) {
    manager.clear();
    log->lines.clear();
    fake::Service& s = manager.add(L"Tomcat", SERVICE_STOPPED);
    startPendingOnStart(s, 10000);
    s.onQuery = [c](fake::Service& s, uint64_t now) {
      if (now >= 2000) s.status = {SERVICE_WIN32_OWN_PROCESS, SERVICE_STOPPED, 0, c.exitCode, c.specific, 0, 0};
    };
    EXPECT_EQ(service::startService(L"Tomcat"), c.expected) << c.exitCode << "/" << c.specific;
    EXPECT_TRUE(log->contains(LOG_WARNING, L"StartService 'Tomcat' failed"));
    EXPECT_EQ(infoLines(), statusLines(s.status));
  }
}

TEST_F(StartServiceTest, StartPendingWithoutProgressIsGivenUp) {
  startPendingOnStart(manager.add(L"Tomcat", SERVICE_STOPPED), 0);
  EXPECT_EQ(service::startService(L"Tomcat"), ERROR_TIMEOUT);
  EXPECT_EQ(clock.elapsed(), 301000u);
  EXPECT_TRUE(log->contains(LOG_WARNING, L"StartService 'Tomcat' failed"));
}
