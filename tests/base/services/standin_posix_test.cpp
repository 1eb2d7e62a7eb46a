// What only the POSIX stand-in has: the host process and its status record,
// the output log, its own refusals, and the /bin/sh wrapper that the Windows
// host uses under Wine for Linux programs.

#include <gmock/gmock.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "base/errors/os_error.h"
#include "base/registry/registry.h"
#include "base/services/host_process.h"
#include "base/services/hosted_command.h"
#include "base/services/service.h"
#include "base/services/service_registry.h"
#include "base/services/status_record.h"
#include "base/text/convert.h"
#include "support/child_process.h"
#include "support/failures.h"
#include "support/sandbox.h"

using ::testing::HasSubstr;
using testing_support::processExists;
using testing_support::readFile;

namespace {

bool eventually(const std::function<bool()>& condition) {
  for (int i = 0; i < 200 && !condition(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  return condition();
}

class StandInTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const std::wstring& name : defined_) {
      if (eventually([&] { return !serviceHostPid(name); })) continue;
      ADD_FAILURE() << "the test left service " << cstrLenient(name) << " running";
      testing_support::killProcess(serviceHostPid(name).value_or(0));
    }
  }
  registry::RegistryKey define(const std::wstring& name, const std::wstring& imagePath,
                               const std::vector<std::wstring>& dependencies = {}) {
    registry::RegistryKey key =
        registry::create(registry::Root::LocalMachine, serviceKeyPath(name), registry::KEY_ALL_ACCESS);
    key.set(L"ImagePath", imagePath);
    if (!dependencies.empty()) key.setMulti(L"DependOnService", dependencies);
    key.set(L"WaitHint", 1000u);
    defined_.push_back(name);
    return key;
  }
  static std::optional<StatusRecord> recordOf(const std::wstring& name) {
    std::optional<std::string> text = readStatusRecordText(name);
    return text ? parseStatusRecord(*text) : std::nullopt;
  }
  static ServiceStatus statusOf(const std::wstring& name) {
    ServiceStatus status;
    service::queryStatusService(status, name);
    return status;
  }
  static uint32_t startByHandle(const std::wstring& name) {
    std::unique_ptr<ServiceManagerHandle> manager;
    std::unique_ptr<ServiceHandle> handle;
    ServiceControl::Default().openManager(nullptr, nullptr, SC_MANAGER_ALL_ACCESS, manager);
    EXPECT_EQ(0u, manager->openService(name, SERVICE_ALL_ACCESS, handle));
    return handle->start();
  }

  testing_support::Sandbox sandbox;
  testing_support::ScopedEnv hostProgram{"HCP_SERVICE_HOST", testing_support::binPath("hcpsvc")};
  std::vector<std::wstring> defined_;
};

TEST_F(StandInTest, TheHostKeepsTheRecordAndTheOutputAndAKilledHostReadsAsStopped) {
  define(L"Sleeper", L"sh -c 'echo started; exec sleep 1000'");
  service::startStopService(L"Sleeper", true);
  std::optional<StatusRecord> record = recordOf(L"Sleeper");
  ASSERT_TRUE(record.has_value());
  EXPECT_EQ(serviceHostPid(L"Sleeper"), record->hostPid);
  EXPECT_TRUE(processExists(record->processId));
  std::string log = sandbox.path("run/halvo/services/Sleeper/output.log");
  EXPECT_TRUE(eventually([&] { return readFile(log) == "started\n"; }));

  // The command goes along with its host, and the service can start again.
  ASSERT_TRUE(testing_support::killProcess(record->hostPid));
  ASSERT_TRUE(eventually([&] { return !serviceHostPid(L"Sleeper").has_value(); }));
  ServiceStatus status = statusOf(L"Sleeper");
  EXPECT_EQ(status.currentState, SERVICE_STOPPED);
  EXPECT_EQ(status.win32ExitCode, ERROR_PROCESS_ABORTED);
  EXPECT_TRUE(eventually([&] { return !processExists(record->processId); }));
  service::startStopService(L"Sleeper", true);
  service::startStopService(L"Sleeper", false);
}

TEST_F(StandInTest, RefusalsOfTheStandIn) {
  // The stand-in starts no dependency by itself.
  define(L"Base", L"sleep 1000");
  define(L"App", L"sleep 1000", {L"base"});
  define(L"Orphan", L"sleep 1000", {L"Gone"});
  EXPECT_EQ(startByHandle(L"App"), ERROR_SERVICE_DEPENDENCY_FAIL);
  EXPECT_EQ(startByHandle(L"Orphan"), ERROR_SERVICE_DEPENDENCY_DELETED);

  define(L"NoImage", L"");
  EXPECT_THAT(testing_support::failureOf<VFileNotFoundException>([&] { service::startService(L"NoImage"); }).message(),
              HasSubstr(L"at StartService 'NoImage'"));
  define(L"BadPort", L"sleep 1000").set(L"ReadyPort", 70000u);
  EXPECT_EQ(testing_support::failureOf([&] { service::startService(L"BadPort"); }).message(),
            L"Service 'BadPort': ReadyPort 70000 is not a TCP port (1 to 65535)");
  {
    testing_support::ScopedEnv noHost("HCP_SERVICE_HOST", sandbox.path("no-such-hcpsvc"));
    EXPECT_THROW(service::startService(L"Base"), VFileNotFoundException);
  }
  for (const wchar_t* name : {L"App", L"Orphan", L"NoImage", L"BadPort", L"Base"}) {
    EXPECT_EQ(statusOf(name).currentState, SERVICE_STOPPED) << cstrLenient(name);
  }
  std::unique_ptr<ServiceManagerHandle> remote;
  EXPECT_EQ(ServiceControl::Default().openManager(L"elsewhere", nullptr, SC_MANAGER_CONNECT, remote),
            ERROR_NOT_SUPPORTED);
}

// The wrapper does under Wine what a shell does anywhere: run it here.
TEST(HostedCommandTest, WrapperReportsPidAndExitStatusAndPassesTheEnvironment) {
  testing_support::TempDir dir;
  std::wstring directory = wstrLenient(dir.path());
  std::wstring script =
      wrapperScript(L"/bin/sh -c 'echo \"$GREETING\"; exit 7'", {L"GREETING=it's \"here\""}, directory);
  testing_support::writeFile(dir / "script.sh", cstrLenient(script));
  ASSERT_EQ(std::system(("/bin/sh " + (dir / "script.sh")).c_str()), 0);

  WrapperFiles files = wrapperFiles(directory);
  EXPECT_GT(std::atoi(readFile(cstrLenient(files.pid)).c_str()), 0);
  EXPECT_EQ(readFile(cstrLenient(files.exit)), "7\n");
  EXPECT_EQ(readFile(cstrLenient(files.output)), "it's \"here\"\n");
}

}  // namespace
