#include <gmock/gmock.h>

#include "base/errors/os_error.h"
#include "base/services/hosted_command.h"
#include "base/text/vaformat.h"
#include "service_manager_fixture.h"
#include "support/child_process.h"
#include "support/under_wine.h"

namespace wc {

using ::testing::ElementsAre;

// What every manager answers is in the contract table of the fakes.
TEST_F(ServiceManagerTest, NamesIgnoreLetterCaseAndAStartRightAfterAStopSucceeds) {
  define(L"Sleeper", {L"/bin/sleep 1000"});
  EXPECT_EQ(0u, service::startService(context, L"sleeper"));
  EXPECT_TRUE(service::isActive(context, L"SLEEPER"));
  EXPECT_EQ(0u, service::startService(context, L"Sleeper"));
  EXPECT_EQ(0u, service::controlService(context, SERVICE_CONTROL_STOP, L"sLeEpEr"));
  service::startStopService(context, L"Sleeper", true);
  service::startStopService(context, L"Sleeper", false);
}

TEST_F(ServiceManagerTest, ServicesThatEndOrCannotStartSayWhy) {
  define(L"Quitter", {.command = L"/bin/sh -c 'sleep 0.3; exit 3'", .readyPort = testing_support::unusedLocalPort()});
  // The environment's pairs reach the command: it ends with 5 only with them.
  define(
      L"Short",
      {L"/bin/sh -c 'sleep 2; test \"$GREETING\" = \"it'\\''s here\" && exit 5; exit 9'", {}, {L"GREETING=it's here"}});
  EXPECT_EQ(0u, service::startService(context, L"Short"));    // running at once: no ready port
  EXPECT_EQ(service::startService(context, L"Quitter"), 3u);  // still start pending when it ends
  ASSERT_TRUE(eventually([&] { return statusOf(context, L"Short").currentState == SERVICE_STOPPED; }));
  for (auto [name, code] : {std::pair{L"Quitter", 3u}, std::pair{L"Short", 5u}}) {
    ServiceStatus status = statusOf(context, name);
    EXPECT_EQ(status.currentState, SERVICE_STOPPED) << code;
    EXPECT_EQ(status.win32ExitCode, ERROR_SERVICE_SPECIFIC_ERROR) << code;
    EXPECT_EQ(status.serviceSpecificExitCode, code);
  }

  // A definition the host cannot use fails the start, by a code or a throw.
  define(L"BadPort", {.command = L"/bin/sleep 1000", .readyPort = 70000});
  define(L"BadEnvironment", {L"/bin/sleep 1000", {}, {L"NOEQUALS"}});
  for (const wchar_t* name : {L"BadPort", L"BadEnvironment"}) {
    try {
      EXPECT_NE(service::startService(context, name), 0u) << cstrLenient(name);
    } catch (const vexception&) {
    }
    EXPECT_EQ(statusOf(context, name).currentState, SERVICE_STOPPED) << cstrLenient(name);
  }
}

TEST_F(ServiceManagerTest, ReadyPortKeepsTheServiceStartPendingWithAdvancingCheckPoint) {
  uint16_t port = testing_support::unusedLocalPort();
  std::wstring listener =
      vaformat(L"/bin/sh -c 'sleep 2.5; exec python3 -m http.server %d --bind 127.0.0.1'", uint32_t{port});
  define(L"Listener", {.command = listener, .readyPort = port, .waitHint = 10000});

  ASSERT_EQ(0u, open(L"Listener")->start());
  uint32_t highestCheckPoint = 0;
  ASSERT_TRUE(eventually(
      [&] {
        ServiceStatus s = statusOf(context, L"Listener");
        if (s.currentState == SERVICE_START_PENDING && s.waitHint == 10000) {
          highestCheckPoint = std::max(highestCheckPoint, s.checkPoint);
        }
        return s.currentState == SERVICE_RUNNING;
      },
      30));
  EXPECT_GE(highestCheckPoint, 1u);

  service::startStopService(context, L"Listener", false);
}

TEST_F(ServiceManagerTest, DependenciesStartFirstAndDependentsStopFirst) {
  WC_SKIP_UNDER_WINE("its Service Control Manager keeps no dependencies");
  define(L"Base", {L"/bin/sleep 1000"});
  define(L"App", {L"/bin/sleep 1000", {L"base"}});
  // A configuration too long for the first buffer is read again.
  define(L"Front",
         {L"/bin/sh -c 'exec sleep 1000' the-front-service-whose-configuration-is-too-long-for-the-first-query",
          {L"App"}});
  service::startStopService(context, L"Front", true);
  EXPECT_TRUE(service::isActive(context, L"Base"));

  std::vector<std::wstring> dependents;
  service::dependentServices(context, dependents, L"Base", SERVICE_ACTIVE);
  EXPECT_THAT(dependents, ElementsAre(L"Front", L"App"));  // a service before what it depends on
  std::vector<std::wstring> dependencies = {};
  service::serviceDependencies(context, dependencies, L"Front");
  EXPECT_THAT(dependencies, ElementsAre(L"App"));

  service::startStopService(context, L"Base", false);
  EXPECT_EQ(statusOf(context, L"Front").currentState, SERVICE_STOPPED);
}

TEST_F(ServiceManagerTest, CreateAndDelete) {
  std::unique_ptr<ServiceManagerHandle> manager = ServiceManagerTest::manager();
  define(L"Created", {L"/bin/sleep 1000"});
  std::unique_ptr<ServiceHandle> again;
  EXPECT_EQ(manager->createService(newService(L"created", {L"/bin/sleep 1"}), SERVICE_ALL_ACCESS, again),
            ERROR_SERVICE_EXISTS);
  EXPECT_EQ(manager->createService(newService(L"bad\\name", {L"/bin/sleep 1"}), SERVICE_ALL_ACCESS, again),
            ERROR_INVALID_NAME);

  service::startStopService(context, L"Created", true);
  // Deleted while it runs, it stays until it stops.
  std::unique_ptr<ServiceHandle> handle = open(L"Created");
  EXPECT_EQ(0u, handle->remove());
  EXPECT_EQ(handle->remove(), ERROR_SERVICE_MARKED_FOR_DELETE);
  handle.reset();
  EXPECT_TRUE(service::exist(context, L"Created"));
  EXPECT_EQ(manager->createService(newService(L"Created", {L"/bin/sleep 1"}), SERVICE_ALL_ACCESS, again),
            ERROR_SERVICE_MARKED_FOR_DELETE);
  EXPECT_EQ(0u, service::controlService(context, SERVICE_CONTROL_STOP, L"Created"));
  EXPECT_TRUE(eventually([&] { return !service::exist(context, L"Created"); }));
}

// How the Windows host finds its command in the ImagePath.
TEST(HostedCommandTest, CommandIsWhatFollowsTheHostProgram) {
  EXPECT_EQ(commandAfterProgram(L"\"C:\\Program Files\\hcpsvc.exe\"  /usr/bin/python3 -m http.server"),
            L"/usr/bin/python3 -m http.server");
  EXPECT_EQ(commandAfterProgram(L"Z:\\bin\\hcpsvc.exe\t\"C:\\a b.exe\" /x"), L"\"C:\\a b.exe\" /x");
  EXPECT_EQ(commandAfterProgram(L"hcpsvc.exe"), L"");
  EXPECT_TRUE(namesPosixProgram(L" \"/usr/bin/python3\" -m http.server"));
  EXPECT_FALSE(namesPosixProgram(L"C:\\windows\\system32\\cmd.exe /c exit 5"));
}

}  // namespace wc
