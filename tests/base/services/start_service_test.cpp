// startService: what it does in each state, the wait while start pending, and
// the code it reports for a service that did not come up; startStopService
// with related services; and the texts of failed calls.

#include <gmock/gmock.h>

#include "base/errors/os_error.h"
#include "base/text/convert.h"
#include "service_test_fixture.h"
#include "support/failures.h"

namespace wc {

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

struct Progress {
  std::vector<int> stages;
  static void record(int stage, void* argument) { static_cast<Progress*>(argument)->stages.push_back(stage); }
};

}  // namespace

using StartServiceTest = ServiceWrapperTest;

TEST_F(StartServiceTest, StoppedServiceIsStartedAndWaitedOnWhileStartPending) {
  fake::Service& s = manager.add(L"Tomcat", SERVICE_STOPPED);
  startPendingOnStart(s, 30000);
  s.onQuery = [](fake::Service& s, uint64_t now) {
    if (now >= 9000) s.status.currentState = SERVICE_RUNNING;
  };
  EXPECT_EQ(0u, service::startService(context, L"Tomcat"));
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
    EXPECT_EQ(0u, service::startService(context, name)) << cstrLenient(name);
  }
  EXPECT_THAT(calls(L"start"), ElementsAre(L"start Racing"));
  EXPECT_THAT(calls(L"control"),
              ElementsAre(L"control Paused 3", L"control Continuing 3", L"control Pausing 2", L"control Pausing 3"));
}

TEST_F(StartServiceTest, StopPendingServiceIsWaitedOnUntilStoppedThenStarted) {
  // The manager answers a stop request on the way down with 1061: the wait is
  // the wrapper's own, at a tenth of the wait hint.
  fake::Service& s = manager.add(L"Tomcat", SERVICE_STOP_PENDING);
  s.status.waitHint = 20000;
  s.onQuery = [](fake::Service& s, uint64_t now) {
    if (s.status.currentState == SERVICE_STOP_PENDING && now >= 6000) s.status.currentState = SERVICE_STOPPED;
  };
  EXPECT_EQ(0u, service::startService(context, L"Tomcat"));
  EXPECT_THAT(calls(L"start"), ElementsAre(L"start Tomcat"));
  EXPECT_THAT(clock.sleeps, ElementsAre(2000u, 2000u, 2000u));
  EXPECT_EQ(s.status.currentState, SERVICE_RUNNING);

  // One whose check point moves for 400 s and then no more is given up five
  // minutes after its last progress, and not started.
  const uint32_t begin = clock.elapsed();
  manager.add(L"Stuck", SERVICE_STOP_PENDING).onQuery = [begin](fake::Service& s, uint64_t now) {
    s.status.checkPoint = std::min<uint32_t>(static_cast<uint32_t>(now - begin) / 200000, 2);
  };
  EXPECT_EQ(service::startService(context, L"Stuck"), ERROR_TIMEOUT);
  EXPECT_EQ(clock.elapsed() - begin, 701000u);
  EXPECT_THAT(calls(L"start"), ElementsAre(L"start Tomcat"));
  EXPECT_TRUE(log->contains(LOG_WARNING, L"StartService 'Stuck' failed"));
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
    EXPECT_EQ(service::startService(context, L"Tomcat"), c.expected) << c.exitCode << "/" << c.specific;
    EXPECT_TRUE(log->contains(LOG_WARNING, L"StartService 'Tomcat' failed"));
    EXPECT_EQ(infoLines(), statusLines(s.status));
  }
}

TEST_F(StartServiceTest, StartPendingWithoutProgressIsGivenUp) {
  startPendingOnStart(manager.add(L"Tomcat", SERVICE_STOPPED), 0);
  EXPECT_EQ(service::startService(context, L"Tomcat"), ERROR_TIMEOUT);
  EXPECT_EQ(clock.elapsed(), 301000u);
  EXPECT_TRUE(log->contains(LOG_WARNING, L"StartService 'Tomcat' failed"));
}

using StartStopServiceTest = ServiceWrapperTest;

TEST_F(StartStopServiceTest, WhatIsThereAlreadyIsLeftAloneAndRelatedServicesGoFirst) {
  manager.add(L"Running", SERVICE_RUNNING).dependencies = {L"Other"};
  manager.add(L"StartPending", SERVICE_START_PENDING);
  manager.add(L"ContinuePending", SERVICE_CONTINUE_PENDING);
  manager.add(L"Stopped", SERVICE_STOPPED).dependents = {L"Running"};
  manager.add(L"Other", SERVICE_STOPPED);
  Progress progress;
  for (const wchar_t* name : {L"Running", L"StartPending", L"ContinuePending"}) {
    service::startStopService(context, name, true, nullptr, nullptr, &Progress::record, &progress);
  }
  service::startStopService(context, L"Stopped", false, nullptr, nullptr, &Progress::record, &progress);
  EXPECT_THAT(progress.stages, IsEmpty());
  EXPECT_THAT(manager.calls, ::testing::Each(::testing::StartsWith(L"open ")));

  // Stopping: B and D depend on A; C depends on B. E depends on A but is stopped.
  manager.clear();
  manager.add(L"A", SERVICE_RUNNING).dependents = {L"B", L"E", L"D"};
  manager.add(L"B", SERVICE_RUNNING).dependents = {L"C"};
  manager.add(L"C", SERVICE_RUNNING);
  manager.add(L"D", SERVICE_RUNNING);
  manager.add(L"E", SERVICE_STOPPED);
  std::vector<std::wstring> stopped;
  service::startStopService(context, L"A", false, nullptr, nullptr, &Progress::record, &progress, &stopped);
  EXPECT_THAT(calls(L"control"), ElementsAre(L"control C 1", L"control B 1", L"control D 1", L"control A 1"));
  EXPECT_THAT(stopped, ElementsAre(L"B", L"C", L"D"));
  EXPECT_THAT(progress.stages, ElementsAre(service::kProgressBegin, service::kProgressStopping));
  for (const wchar_t* name : {L"A", L"B", L"C", L"D", L"E"}) {
    EXPECT_EQ(manager[name].status.currentState, SERVICE_STOPPED) << name;
  }

  manager.add(L"Web", SERVICE_STOPPED).dependencies = {L"App", L"Db"};
  manager.add(L"App", SERVICE_STOPPED).dependencies = {L"Db"};
  manager.add(L"Db", SERVICE_STOPPED);
  progress.stages.clear();
  service::startStopService(context, L"Web", true, nullptr, nullptr, &Progress::record, &progress);
  EXPECT_THAT(calls(L"start"), ElementsAre(L"start Db", L"start App", L"start Web"));
  EXPECT_THAT(progress.stages, ElementsAre(service::kProgressBegin, service::kProgressStarting));
}

TEST_F(StartStopServiceTest, FailuresOfAStopAStartOrADependencyThrow) {
  manager.add(L"Tomcat", SERVICE_RUNNING).onControl = [](fake::Service& s, uint32_t) {
    s.status.currentState = SERVICE_STOP_PENDING;
    s.status.waitHint = 0;
  };
  const auto e = failureOf<vosexception>([&] { service::startStopService(context, L"Tomcat", false); });
  EXPECT_EQ(e.code(), ERROR_TIMEOUT);
  EXPECT_EQ(e.message(), osErrorText(ERROR_TIMEOUT, L"Stop service Tomcat"));
  EXPECT_EQ(e.callPoints()[0].function, "service::startStopService");

  manager.add(L"Dies", SERVICE_STOPPED).onStart = [](fake::Service& s) {
    s.status = {SERVICE_WIN32_OWN_PROCESS, SERVICE_STOPPED, 0, ERROR_SERVICE_SPECIFIC_ERROR, 42, 0, 0};
  };
  EXPECT_EQ(failureOf<vosexception>([&] { service::startStopService(context, L"Dies", true); }).message(),
            osErrorText(42, L"Start service Dies"));

  manager.add(L"Web", SERVICE_STOPPED).dependencies = {L"Db"};
  manager.add(L"Db", SERVICE_STOPPED).startError = ERROR_ACCESS_DENIED;
  EXPECT_THROW(service::startStopService(context, L"Web", true), VAccessDeniedException);
  EXPECT_THAT(calls(L"start"), ElementsAre(L"start Dies", L"start Db"));
}

using ServiceFailuresTest = ServiceWrapperTest;

TEST_F(ServiceFailuresTest, FailedCallsThrowWithTheCallTheServiceAndTheFunction) {
  manager.add(L"Disabled", SERVICE_STOPPED).startError = ERROR_SERVICE_DISABLED;
  manager.add(L"Refusing", SERVICE_RUNNING).controlError = ERROR_ACCESS_DENIED;
  fake::Service& pending = manager.add(L"Pending", SERVICE_START_PENDING);
  pending.failQueriesFrom = 2;
  pending.queryError = ERROR_INVALID_HANDLE;
  manager.add(L"Db", SERVICE_RUNNING).enumError = ERROR_ACCESS_DENIED;
  manager.add(L"Web", SERVICE_STOPPED).configError = ERROR_ACCESS_DENIED;
  manager.add(L"Locked", SERVICE_STOPPED).openError = ERROR_ACCESS_DENIED;
  fake::Service& broken = manager.add(L"Broken", SERVICE_RUNNING);
  broken.failQueriesFrom = 1;
  broken.queryError = ERROR_INVALID_HANDLE;
  std::vector<std::wstring> names;
  ServiceStatus status;
  struct Case {
    std::function<void()> call;
    std::wstring message;
    std::string function;
  } cases[] = {
      {[&] { service::startService(context, L"Disabled"); },
       osErrorText(ERROR_SERVICE_DISABLED, L"StartService 'Disabled'"), "service::startService"},
      {[&] { service::startService(context, L"Pending"); },
       osErrorText(ERROR_INVALID_HANDLE, L"QueryServiceStatus 'Pending'"), "service::startService"},
      {[&] { service::startService(context, L"Missing"); },
       osErrorText(ERROR_SERVICE_DOES_NOT_EXIST, L"OpenService 'Missing'"), "service::startService"},
      {[&] { service::controlService(context, SERVICE_CONTROL_PAUSE, L"Missing"); },
       osErrorText(ERROR_SERVICE_DOES_NOT_EXIST, L"OpenService 'Missing'"), "service::controlService"},
      {[&] { service::controlService(context, SERVICE_CONTROL_STOP, L"Refusing"); },
       osErrorText(ERROR_ACCESS_DENIED, L"ControlService 'Refusing' with code 1"), "service::controlService"},
      {[&] { service::dependentServices(context, names, L"Db", SERVICE_ACTIVE); },
       osErrorText(ERROR_ACCESS_DENIED, L"enum dependent services of service 'Db'"), "service::dependentServices"},
      {[&] { service::serviceDependencies(context, names, L"Web"); },
       osErrorText(ERROR_ACCESS_DENIED, L"query service config 'Web'"), "service::serviceDependencies"},
      {[&] { service::exist(context, L"Locked"); }, osErrorText(ERROR_ACCESS_DENIED, L"OpenService 'Locked'"),
       "service::exist"},
      {[&] { service::queryStatusService(context, status, L"Broken"); },
       osErrorText(ERROR_INVALID_HANDLE, L"QueryServiceStatus 'Broken'"), "service::queryStatusService"},
  };
  for (const Case& c : cases) {
    const auto e = failureOf<vosexception>(c.call);
    EXPECT_EQ(e.message(), c.message);
    EXPECT_EQ(e.callPoints().at(0).function, c.function);
  }
  EXPECT_TRUE(service::exist(context, L"Web"));
  EXPECT_EQ(calls(L"open").back(), L"open Web 0x4");
}

}  // namespace wc
