// Many runs at once are serialised by the run lock, and a run killed in the
// middle of a command leaves nothing that blocks or breaks the next one.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "base/services/service.h"
#include "cli/panel_machine.h"
#include "support/child_process.h"
#include "support/test_context.h"

namespace wc {

using testing_support::context;

namespace {

using cli::countOf;
using cli::PanelMachine;

// Runs all commands at once, each as its own process; the exit codes.
std::vector<int> runTogether(const PanelMachine& machine, const std::vector<std::vector<std::string>>& commands) {
  std::vector<int> codes(commands.size(), -1);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < commands.size(); ++i) {
    threads.emplace_back([&, i] { codes[i] = machine.wcadmin(commands[i]).exitCode; });
  }
  for (std::thread& t : threads) t.join();
  return codes;
}

TEST(Concurrency, FortyRunsStartingApplicationsThenFortyAddingAliasesAllLand) {
  PanelMachine machine;
  machine.installPanelAndHost("h.test");
  machine.ok({"--install-vhost", "--vhost-name=h.test"});
  std::vector<std::vector<std::string>> starts, aliases;
  for (int i = 0; i < 40; ++i) {
    machine.deployArchive("h.test", "app" + std::to_string(i));
    starts.push_back({"--start-webapp", "--vhost-name=h.test", "--webapp-name=app" + std::to_string(i)});
    aliases.push_back({"--add-alias", "--vhost-name=h.test", "--alias=a" + std::to_string(i) + ".test"});
  }
  for (int code : runTogether(machine, starts)) EXPECT_EQ(code, 0);
  std::string map = machine.uriMap();
  for (int i = 0; i < 40; ++i) {
    const std::string app = "app" + std::to_string(i);
    EXPECT_TRUE(testing_support::pathExists(machine.varTomcat() + "/hcp-webapps/h.test/" + app + ".war")) << app;
    EXPECT_EQ(countOf(map, "/h.test/" + app + "=h_test\r\n"), 1u) << app;
    EXPECT_EQ(countOf(map, "/www.h.test/" + app + "/*=h_test\r\n"), 1u) << app;
  }
  EXPECT_EQ(countOf(map, "\r\n"), 160u);

  for (int code : runTogether(machine, aliases)) EXPECT_EQ(code, 0);
  const std::string xml = machine.serverXml();
  map = machine.uriMap();
  for (int i = 0; i < 40; ++i) {
    const std::string alias = std::string("a").append(std::to_string(i)).append(".test");
    EXPECT_EQ(countOf(xml, "<Alias>" + alias + "</Alias>"), 1u) << alias;
    EXPECT_EQ(countOf(xml, "<Alias>www." + alias + "</Alias>"), 1u) << alias;
    EXPECT_EQ(countOf(map, "\n/" + alias + "/app" + std::to_string(i) + "=h_test\r"), 1u) << alias;
  }
}

TEST(Concurrency, ARunKilledWhileItHoldsTheLockLetsTheWaitingRunGoOnWithServerXmlWhole) {
  // Tomcat that ignores SIGTERM: stopping it keeps the run busy, lock held.
  cli::ServiceDefinition stubborn{"Tomcat", "/bin/sh -c \"trap '' TERM; while :; do sleep 0.2; done\"", "", 0, 3000};
  PanelMachine machine(cli::libraryFile("tomcatprovider"), {stubborn});
  machine.installPanelAndHost("h.test");
  machine.ok({"--start"});

  testing_support::ChildProcess run("wcadmin", {"--install-vhost", "--vhost-name=h.test"});
  // Wait until the run is stopping Tomcat, in the middle of its command.
  bool stopping = false;
  for (int i = 0; i < 500 && !stopping; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ServiceStatus status;
    service::queryStatusService(context, status, L"Tomcat");
    stopping = status.currentState == SERVICE_STOP_PENDING;
  }
  EXPECT_TRUE(stopping) << "the run never got to stopping Tomcat";
  testing_support::ProcessResult after;
  std::atomic<bool> ended{false};
  std::thread waiting([&] {
    after = machine.wcadmin({"--add-alias", "--vhost-name=h.test", "--alias=after.test"});
    ended = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  EXPECT_FALSE(ended) << "the run did not wait for the lock";
  run.kill();

  auto killed = std::chrono::steady_clock::now();
  waiting.join();
  EXPECT_EQ(after.exitCode, 0) << after.out;
  EXPECT_LT(std::chrono::steady_clock::now() - killed, std::chrono::seconds(20));
  const std::string xml = machine.serverXml();
  EXPECT_NE(xml.find("<Alias>after.test</Alias>"), std::string::npos);
  EXPECT_EQ(countOf(xml, "<Host name=\"h.test\""), 1u);
  EXPECT_NE(xml.find("</Server>"), std::string::npos);
}

}  // namespace

}  // namespace wc
