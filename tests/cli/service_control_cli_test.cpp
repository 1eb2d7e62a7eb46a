// --start, --stop, --restart and --status against small stand-in services.

#include <gtest/gtest.h>

#include "base/errors/os_error.h"
#include "base/services/service.h"
#include "base/text/convert.h"
#include "cli/panel_machine.h"
#include "support/child_process.h"
#include "support/test_context.h"
#include "support/under_wine.h"

namespace wc {

using testing_support::context;

namespace {

using cli::PanelMachine;
using cli::ServiceDefinition;

TEST(ServiceControl, StatusFollowsStartStopAndRestartAndAStopOfAStoppedServiceStillRemovesItsRegisteredFiles) {
  PanelMachine machine;
  EXPECT_EQ(machine.ok({"--status"}), "is stopped");
  machine.ok({"--start"});
  EXPECT_NE(machine.servicePid(), 0);
  EXPECT_EQ(machine.ok({"--status", "--ignored=1"}), "is running");
  machine.ok({"--stop"});
  EXPECT_EQ(machine.servicePid(), 0);
  EXPECT_EQ(machine.ok({"--status"}), "is stopped");

  std::string held = machine.path("held.war");
  testing_support::writeFile(held, "x");
  testing_support::makeDirectories(machine.productRoot() + "/etc");
  testing_support::writeFile(machine.productRoot() + "/etc/DeferredRemovalStorage.xml",
                             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Entries>\n"
                             "<Entry Id=\"0e0c6b5e-9a5b-11ef-8000-000000000001\" URI=\"" +
                                 held + "\" URIType=\"Path\" Service=\"Tomcat\"/>\n</Entries>\n");
  machine.ok({"--stop"});
  EXPECT_FALSE(testing_support::pathExists(held));
  EXPECT_EQ(machine.removalStorage().find(held), std::string::npos);

  // Restart starts a stopped service and renews a running one.
  machine.ok({"--restart"});
  const int first = machine.servicePid();
  EXPECT_NE(first, 0);
  machine.ok({"--restart"});
  EXPECT_NE(machine.servicePid(), 0);
  EXPECT_NE(machine.servicePid(), first);
}

TEST(ServiceControl, StoppingStopsRunningDependentsFirstAndStartingStartsDependencies) {
  WC_SKIP_UNDER_WINE("service dependencies (StartService starts none, EnumDependentServicesW is a stub)");
  PanelMachine machine(
      cli::libraryFile("tomcatprovider"),
      {ServiceDefinition{"Base", "/bin/sleep 600", "", 0}, ServiceDefinition{"Tomcat", "/bin/sleep 600", "Base", 0},
       ServiceDefinition{"Frontend", "/bin/sleep 600", "Tomcat", 0}});
  machine.ok({"--start"});
  EXPECT_NE(machine.servicePid("Base"), 0);
  EXPECT_NE(machine.servicePid("Tomcat"), 0);
  EXPECT_EQ(machine.servicePid("Frontend"), 0);

  // Frontend depends on Tomcat: started by hand, it must go first on --stop.
  service::startStopService(context, L"Frontend", true);
  EXPECT_NE(machine.servicePid("Frontend"), 0);
  machine.ok({"--stop"});
  EXPECT_EQ(machine.servicePid("Frontend"), 0);
  EXPECT_EQ(machine.servicePid("Tomcat"), 0);
  EXPECT_NE(machine.servicePid("Base"), 0);
}

TEST(ServiceControl, AServiceThatDiesWhileStartingFailsTheStartWithItsExitStatus) {
  // Start pending until a port that never opens accepts; the command dies first.
  PanelMachine machine(cli::libraryFile("tomcatprovider"),
                       {ServiceDefinition{"Tomcat", "/bin/sh -c \"sleep 1; exit 42\"", "", 1}});
  const std::string out = machine.failed({"--start"});
  EXPECT_NE(out.find("(Error code 42) at Start service Tomcat"), std::string::npos) << out;
  std::wstring log = machine.debugLogText();
  EXPECT_NE(log.find(L"Warning: StartService 'Tomcat' failed"), std::wstring::npos);
  EXPECT_NE(log.find(L"  Exit Code: 1066"), std::wstring::npos);
  EXPECT_NE(log.find(L"  Service Specific Exit Code: 42"), std::wstring::npos);
}

TEST(ServiceControl, AMissingServiceIsReportedNotRaised) {
  PanelMachine machine(cli::libraryFile("tomcatprovider"), {});
  EXPECT_EQ(machine.ok({"--start"}), "Unable to start Tomcat service: service does not exist");
  EXPECT_EQ(machine.ok({"--status"}), "Unable to query service Tomcat status: service does not exist\nis stopped");
}

// Tomcat that starts once (it listens on its ready port) and then never again:
// every later start ends with exit status 7 while start pending.
cli::ServiceDefinition startsOnlyOnce(const std::string& flag, int port) {
  return {"Tomcat",
          "/bin/sh -c \"if [ -e " + flag + " ]; then sleep 0.3; exit 7; fi; touch " + flag +
              "; exec python3 -m http.server " + std::to_string(port) + " --bind 127.0.0.1\"",
          "", port};
}

TEST(ServiceRestarter, AFailedOperationStillStartsTomcatAgainAndReportsItsOwnError) {
  PanelMachine machine;
  machine.installPanelAndHost("h.test");
  machine.ok({"--start"});
  const int before = machine.servicePid();
  testing_support::writeFile(machine.serverXmlPath(), "<Server><Service>");
  const std::string out = machine.failed({"--remove-vhost", "--vhost-name=h.test"});
  EXPECT_EQ(out.rfind("Start-end tags mismatch", 0), 0u) << out;
  EXPECT_NE(machine.servicePid(), 0);
  EXPECT_NE(machine.servicePid(), before);
}

TEST(ServiceRestarter, ThreeFailedStartsAreLoggedTwiceAsWarningOnceAsErrorAndNotRaised) {
  if (!cli::hasLinuxProgram("python3")) GTEST_SKIP() << "python3 is not installed";
  const int port = testing_support::unusedLocalPort();
  testing_support::TempDir flagDirectory;
  PanelMachine machine(cli::libraryFile("tomcatprovider"),
                       {startsOnlyOnce(cli::linuxPath(flagDirectory / "started-once"), port)});
  machine.installPanelAndHost("h.test");
  machine.ok({"--start"});
  ASSERT_NE(machine.servicePid(), 0);

  const std::string out = machine.ok({"--remove-vhost", "--vhost-name=h.test"});
  const std::string failure = "(Error code 7) at Start service Tomcat";
  EXPECT_EQ(cli::countOf(out, failure), 1u) << out;  // the Error line reaches the console
  std::wstring log = machine.debugLogText();
  std::string narrow(log.begin(), log.end());
  // The system's own text for code 7 leads the message.
  const std::string message = cstrLenient(osErrorText(7, L"Start service Tomcat"));
  EXPECT_EQ(cli::countOf(narrow, "Warning: " + message), 2u) << message;
  EXPECT_EQ(cli::countOf(narrow, "Error: " + message), 1u);
  EXPECT_EQ(cli::countOf(narrow, "at TomcatManager::startService()(TomcatServiceRestarter::~TomcatServiceRestarter"),
            3u);
}

}  // namespace

}  // namespace wc
