// startStopService with related services, the two list queries, and the small
// status calls (exist, queryStatusService, isActive).

#include <gmock/gmock.h>

#include "base/errors/os_error.h"
#include "service_test_fixture.h"
#include "support/failures.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

struct Progress {
  std::vector<int> stages;
  static void record(int stage, void* argument) { static_cast<Progress*>(argument)->stages.push_back(stage); }
};

}  // namespace

using StartStopServiceTest = ServiceWrapperTest;

TEST_F(StartStopServiceTest, StopStopsRunningDependentsFirstDepthFirst) {
  // B and D depend on A; C depends on B. E depends on A but is stopped.
  manager.add(L"A", SERVICE_RUNNING).dependents = {L"B", L"E", L"D"};
  manager.add(L"B", SERVICE_RUNNING).dependents = {L"C"};
  manager.add(L"C", SERVICE_RUNNING);
  manager.add(L"D", SERVICE_RUNNING);
  manager.add(L"E", SERVICE_STOPPED);
  Progress progress;
  std::vector<std::wstring> stopped;

  service::startStopService(L"A", false, nullptr, nullptr, &Progress::record, &progress, &stopped);

  EXPECT_THAT(calls(L"control"), ElementsAre(L"control C 1", L"control B 1", L"control D 1", L"control A 1"));
  EXPECT_THAT(stopped, ElementsAre(L"B", L"C", L"D"));
  EXPECT_THAT(progress.stages, ElementsAre(service::kProgressBegin, service::kProgressStopping));
  for (const wchar_t* name : {L"A", L"B", L"C", L"D", L"E"}) {
    EXPECT_EQ(manager[name].status.currentState, SERVICE_STOPPED) << name;
  }
}

TEST_F(StartStopServiceTest, StartStartsDependenciesFirst) {
  manager.add(L"Web", SERVICE_STOPPED).dependencies = {L"App", L"Db"};
  manager.add(L"App", SERVICE_STOPPED).dependencies = {L"Db"};
  manager.add(L"Db", SERVICE_STOPPED);
  Progress progress;

  service::startStopService(L"Web", true, nullptr, nullptr, &Progress::record, &progress);

  EXPECT_THAT(calls(L"start"), ElementsAre(L"start Db", L"start App", L"start Web"));
  EXPECT_THAT(progress.stages, ElementsAre(service::kProgressBegin, service::kProgressStarting));
}

TEST_F(StartStopServiceTest, ServiceAlreadyInTheRequestedStateIsLeftAlone) {
  manager.add(L"Running", SERVICE_RUNNING).dependencies = {L"Other"};
  manager.add(L"StartPending", SERVICE_START_PENDING);
  manager.add(L"Stopped", SERVICE_STOPPED).dependents = {L"Running"};
  manager.add(L"Other", SERVICE_STOPPED);
  Progress progress;
  service::startStopService(L"Running", true, nullptr, nullptr, &Progress::record, &progress);
  service::startStopService(L"StartPending", true, nullptr, nullptr, &Progress::record, &progress);
  service::startStopService(L"Stopped", false, nullptr, nullptr, &Progress::record, &progress);
  EXPECT_THAT(progress.stages, IsEmpty());
  EXPECT_THAT(calls(L"start"), IsEmpty());
  EXPECT_THAT(calls(L"control"), IsEmpty());
}

TEST_F(StartStopServiceTest, FailuresOfAStopOrOfADependencyThrow) {
  fake::Service& s = manager.add(L"Tomcat", SERVICE_RUNNING);
  s.onControl = [](fake::Service& s, uint32_t) {
    s.status.currentState = SERVICE_STOP_PENDING;
    s.status.waitHint = 0;
  };
  const auto e = testing_support::failureOf<vosexception>([&] { service::startStopService(L"Tomcat", false); });
  EXPECT_EQ(e.code(), ERROR_TIMEOUT);
  EXPECT_EQ(e.message(),
            L"This operation returned because the timeout period expired. (Error code 1460) at "
            L"Stop service Tomcat");

  manager.add(L"Web", SERVICE_STOPPED).dependencies = {L"Db"};
  manager.add(L"Db", SERVICE_STOPPED).startError = ERROR_ACCESS_DENIED;
  EXPECT_THROW(service::startStopService(L"Web", true), VAccessDeniedException);
  EXPECT_THAT(calls(L"start"), ElementsAre(L"start Db"));
  EXPECT_EQ(manager[L"Web"].status.currentState, SERVICE_STOPPED);
}

using ServiceListsTest = ServiceWrapperTest;

TEST_F(ServiceListsTest, DependentsAreEnumeratedAgainWithTheSizeAskedFor) {
  manager.add(L"Db", SERVICE_RUNNING).dependents = {L"App", L"Report"};
  manager.add(L"App", SERVICE_RUNNING);
  manager.add(L"Report", SERVICE_STOPPED);
  std::vector<std::wstring> names{L"kept"};

  service::dependentServices(names, L"Db", SERVICE_STATE_ALL);

  EXPECT_THAT(names, ElementsAre(L"kept", L"App", L"Report"));
  // One entry's worth first, then exactly what the manager asked for.
  uint32_t needed = 2 * kDependentEntryBytes + 2 * (2 * 3 + 2) + 2 * (2 * 6 + 2);
  EXPECT_THAT(calls(L"enum"),
              ElementsAre(vaformat(L"enum Db %u", kDependentEntryBytes), vaformat(L"enum Db %u", needed)));
  EXPECT_EQ(calls(L"open").front(), L"open Db 0x8");

  names.clear();
  service::dependentServices(names, L"Db", SERVICE_INACTIVE);
  EXPECT_THAT(names, ElementsAre(L"Report"));
}

TEST_F(ServiceListsTest, FailedListQueriesThrow) {
  manager.add(L"Db", SERVICE_RUNNING).enumError = ERROR_ACCESS_DENIED;
  std::vector<std::wstring> names;
  const auto e = testing_support::failureOf<VAccessDeniedException>(
      [&] { service::dependentServices(names, L"Db", SERVICE_ACTIVE); });
  EXPECT_EQ(e.message(), L"Access is denied. (Error code 5) at enum dependent services of service 'Db'");
  EXPECT_EQ(e.callPoints()[0].function, "service::dependentServices");

  manager.add(L"Web", SERVICE_STOPPED).configError = ERROR_ACCESS_DENIED;
  const auto config =
      testing_support::failureOf<VAccessDeniedException>([&] { service::serviceDependencies(names, L"Web"); });
  EXPECT_EQ(config.message(), L"Access is denied. (Error code 5) at query service config 'Web'");
  EXPECT_EQ(config.callPoints()[0].function, "service::serviceDependencies");
}

TEST_F(ServiceListsTest, DependenciesComeFromTheConfigurationListOfTheSizeAskedFor) {
  manager.add(L"Web", SERVICE_STOPPED).dependencies = {L"Db", L"Cache"};
  std::vector<std::wstring> names;
  service::serviceDependencies(names, L"Web");
  EXPECT_THAT(names, ElementsAre(L"Db", L"Cache"));
  EXPECT_THAT(calls(L"config"), ElementsAre(L"config Web 260"));
  EXPECT_EQ(calls(L"open").front(), L"open Web 0x1");

  manager.add(L"Alone", SERVICE_STOPPED);
  names.clear();
  service::serviceDependencies(names, L"Alone");
  EXPECT_THAT(names, IsEmpty());

  // A long list is read again with the size the manager asked for.
  std::vector<std::wstring> many;
  for (int i = 0; i < 20; ++i) many.push_back(vaformat(L"Dependency%d", i));
  manager.add(L"Long", SERVICE_STOPPED).dependencies = many;
  service::serviceDependencies(names, L"Long");
  EXPECT_EQ(names, many);
  const std::vector<std::wstring> configs = calls(L"config");
  ASSERT_EQ(configs.size(), 4u);
  EXPECT_EQ(configs[2], L"config Long 260");
  EXPECT_NE(configs[3], L"config Long 260");
}

using ServiceStatusTest = ServiceWrapperTest;

TEST_F(ServiceStatusTest, ExistAndQueryFailOnlyForWhatTheManagerRefuses) {
  manager.add(L"Tomcat", SERVICE_STOPPED);
  manager.add(L"Locked", SERVICE_STOPPED).openError = ERROR_ACCESS_DENIED;
  EXPECT_TRUE(service::exist(L"Tomcat"));
  EXPECT_FALSE(service::exist(L"Missing"));
  const auto locked = testing_support::failureOf<VAccessDeniedException>([&] { service::exist(L"Locked"); });
  EXPECT_EQ(locked.message(), L"Access is denied. (Error code 5) at OpenService 'Locked'");
  EXPECT_EQ(locked.callPoints()[0].function, "service::exist");
  EXPECT_EQ(calls(L"open").front(), L"open Tomcat 0x4");

  fake::Service& s = manager.add(L"Tomcat", SERVICE_RUNNING);
  s.failQueriesFrom = 1;
  s.queryError = ERROR_INVALID_HANDLE;
  ServiceStatus status;
  const auto e = testing_support::failureOf<vosexception>([&] { service::queryStatusService(status, L"Tomcat"); });
  EXPECT_EQ(e.message(), L"The handle is invalid. (Error code 6) at QueryServiceStatus 'Tomcat'");
  EXPECT_EQ(e.callPoints()[0].function, "service::queryStatusService");
  EXPECT_THROW(service::queryStatusService(status, L"Missing"), VServiceDoesNotExistException);
}

TEST_F(ServiceStatusTest, ActiveMeansStartPendingRunningOrContinuePending) {
  for (uint32_t state = SERVICE_STOPPED; state <= SERVICE_PAUSED; ++state) {
    manager.add(L"Tomcat", state);
    bool expected = state == SERVICE_START_PENDING || state == SERVICE_RUNNING || state == SERVICE_CONTINUE_PENDING;
    EXPECT_EQ(service::isActive(L"Tomcat"), expected) << "state " << state;
  }
}
