// What only the POSIX stand-in has: the host process and its status record
// (and the record's text form), the output log, and its own refusals.

#include <gmock/gmock.h>

#include "base/errors/os_error.h"
#include "base/services/host_process.h"
#include "base/services/status_record.h"
#include "service_manager_fixture.h"
#include "support/child_process.h"
#include "support/failures.h"

namespace wc {

using testing_support::failureOf;
using testing_support::processExists;
using testing_support::readFile;

using StandInTest = ServiceManagerTest;

TEST_F(StandInTest, TheHostKeepsTheRecordAndTheOutputAndAKilledHostReadsAsStopped) {
  define(L"Sleeper", {L"sh -c 'echo started; exec sleep 1000'"});
  service::startStopService(context, L"Sleeper", true);
  std::optional<std::string> text = readStatusRecordText(L"Sleeper");
  std::optional<StatusRecord> record = text ? parseStatusRecord(*text) : std::nullopt;
  ASSERT_TRUE(record.has_value());
  EXPECT_EQ(serviceHostPid(L"Sleeper"), record->hostPid);
  EXPECT_TRUE(processExists(record->processId));
  std::string log = sandbox.path("run/halvo/services/Sleeper/output.log");
  EXPECT_TRUE(eventually([&] { return readFile(log) == "started\n"; }));

  // The command goes along with its host, and the service can start again.
  ASSERT_TRUE(testing_support::killProcess(record->hostPid));
  ASSERT_TRUE(eventually([&] { return hostGone(L"Sleeper"); }));
  ServiceStatus status = statusOf(context, L"Sleeper");
  EXPECT_EQ(status.currentState, SERVICE_STOPPED);
  EXPECT_EQ(status.win32ExitCode, ERROR_PROCESS_ABORTED);
  EXPECT_TRUE(eventually([&] { return !processExists(record->processId); }));
  service::startStopService(context, L"Sleeper", true);
  service::startStopService(context, L"Sleeper", false);
}

TEST_F(StandInTest, RefusalsOfTheStandIn) {
  // It starts no dependency by itself.
  define(L"Base", {L"sleep 1000"});
  define(L"App", {L"sleep 1000", {L"base"}});
  define(L"Orphan", {L"sleep 1000", {L"Gone"}});
  EXPECT_EQ(open(L"App")->start(), ERROR_SERVICE_DEPENDENCY_FAIL);
  EXPECT_EQ(open(L"Orphan")->start(), ERROR_SERVICE_DEPENDENCY_DELETED);

  define(L"NoImage", {L"sleep 1000"}).set(L"ImagePath", L"");
  EXPECT_EQ(failureOf<VFileNotFoundException>([&] { service::startService(context, L"NoImage"); }).message(),
            osErrorText(ERROR_FILE_NOT_FOUND, L"StartService 'NoImage'"));
  define(L"BadPort", {.command = L"sleep 1000", .readyPort = 70000});
  EXPECT_EQ(failureOf([&] { service::startService(context, L"BadPort"); }).message(),
            L"Service 'BadPort': ReadyPort 70000 is not a TCP port (1 to 65535)");
  {
    testing_support::ScopedEnv noHost("HCP_SERVICE_HOST", sandbox.path("no-such-hcpsvc"));
    EXPECT_THROW(service::startService(context, L"Base"), VFileNotFoundException);
  }
  for (const wchar_t* name : {L"App", L"Orphan", L"NoImage", L"BadPort", L"Base"}) {
    EXPECT_EQ(statusOf(context, name).currentState, SERVICE_STOPPED) << cstrLenient(name);
  }
  std::unique_ptr<ServiceManagerHandle> remote;
  EXPECT_EQ(systemServiceControl().openManager(L"elsewhere", nullptr, SC_MANAGER_CONNECT, remote), ERROR_NOT_SUPPORTED);
}

TEST(StatusRecordTest, EveryFieldSurvivesTheTextFormAndNothingElseReads) {
  StatusRecord record;
  record.status = ServiceStatus{0x10, SERVICE_STOP_PENDING, 1, 1066, 3, 17, 4294967295u};
  record.hostPid = 4242;
  record.processId = 4243;
  std::optional<StatusRecord> back = parseStatusRecord(formatStatusRecord(record));
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->status, record.status);
  EXPECT_EQ(back->hostPid, 4242u);
  EXPECT_EQ(back->processId, 4243u);

  // Incomplete or garbled text is no record.
  record.status.currentState = SERVICE_RUNNING;
  const std::string good = formatStatusRecord(record);
  const size_t state = good.find("currentState=4");
  for (const std::string& bad :
       {std::string(), good.substr(0, good.find("hostPid")), std::string(good).replace(state, 14, "currentState=x"),
        std::string(good).replace(state, 14, "currentState=9"), good + "no equals sign\n", good + "checkPoint=-1\n"}) {
    EXPECT_FALSE(parseStatusRecord(bad).has_value()) << bad;
  }
}

}  // namespace wc
