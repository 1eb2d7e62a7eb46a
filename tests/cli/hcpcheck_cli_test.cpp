// hcpcheck seen from outside: silent with exit 0 on a machine the commands
// set up, one line (or JSON object) per drift with exit 1, and exit 2 with
// wcadmin's form of the error when it cannot check.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "base/system/named_mutex.h"
#include "cli/panel_machine.h"

namespace {

using cli::PanelMachine;
using testing_support::nativePath;
using testing_support::ProcessResult;
using testing_support::readFile;
using testing_support::writeFile;

ProcessResult hcpcheck(const std::vector<std::string>& args = {}) {
  ProcessResult result = testing_support::runProgram("hcpcheck", args);
  result.out = cli::consoleLines(result.out);
  return result;
}

// A path as it appears inside a JSON string.
std::string jsonPath(const std::string& path) {
  std::string out;
  for (char c : nativePath(path)) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return out;
}

// The panel with h.test (alias a.test) and its started application Shop.
void setUpPanel(const PanelMachine& machine) {
  machine.installPanelAndHost("h.test");
  machine.ok({"--install-vhost", "--vhost-name=h.test", "--aliases=" + machine.aliasesFile("a.test")});
  machine.deployArchive("h.test", "Shop");
  machine.ok({"--start-webapp", "--vhost-name=h.test", "--webapp-name=Shop"});
}

TEST(HcpcheckCli, AMachineTheCommandsSetUpIsConsistentInBothFormats) {
  PanelMachine machine;
  setUpPanel(machine);
  ProcessResult text = hcpcheck();
  EXPECT_EQ(text.exitCode, 0) << text.out;
  EXPECT_EQ(text.out, "");
  EXPECT_EQ(text.err, "");
  ProcessResult json = hcpcheck({"--format=json"});
  EXPECT_EQ(json.exitCode, 0) << json.out;
  EXPECT_EQ(json.out, "{\"consistent\":true,\"findings\":[]}\n");
  EXPECT_EQ(hcpcheck({"--format=json", "--format=text"}).out, "");  // the last one counts
}

TEST(HcpcheckCli, DriftGivesOneLinePerFindingWithKindHostFileAndLine) {
  PanelMachine machine;
  setUpPanel(machine);
  const std::string workers = readFile(machine.workersPath());
  const std::string mounts = readFile(machine.uriMapPath());
  // The worker's keys are gone; Shop is stopped but its mounts come back.
  std::string cut = workers.substr(0, workers.find("worker.h_test."));
  writeFile(machine.workersPath(), cut);
  machine.ok({"--stop-webapp", "--vhost-name=h.test", "--webapp-name=Shop"});
  writeFile(machine.uriMapPath(), mounts);

  ProcessResult text = hcpcheck();
  EXPECT_EQ(text.exitCode, 1) << text.out;
  EXPECT_EQ(text.err, "");
  EXPECT_NE(text.out.find("worker-missing: h.test: "), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("mounts-orphan: h.test: "), std::string::npos) << text.out;
  EXPECT_NE(text.out.find(" (" + nativePath(machine.uriMapPath()) + ":"), std::string::npos) << text.out;
  EXPECT_EQ(text.out.back(), '\n');

  ProcessResult json = hcpcheck({"--format=json"});
  EXPECT_EQ(json.exitCode, 1) << json.out;
  EXPECT_EQ(json.out.rfind("{\"consistent\":false,\"findings\":[{\"kind\":\"", 0), 0u) << json.out;
  EXPECT_NE(json.out.find("\"kind\":\"mounts-orphan\",\"host\":\"h.test\""), std::string::npos) << json.out;
  EXPECT_NE(json.out.find("\"file\":\"" + jsonPath(machine.uriMapPath()) + "\",\"line\":"), std::string::npos)
      << json.out;
}

TEST(HcpcheckCli, AnUnknownArgumentIsAUsageErrorAndHelpIsNot) {
  for (const std::string arg : {"--fix", "--format=xml", "-format=json"}) {
    ProcessResult result = hcpcheck({arg});
    EXPECT_EQ(result.exitCode, 2) << arg;
    EXPECT_EQ(result.out, "") << arg;
    EXPECT_NE(result.err.find("unknown argument '" + arg + "'"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("Usage: hcpcheck"), std::string::npos) << arg;
  }
  ProcessResult help = hcpcheck({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind("Usage: hcpcheck", 0), 0u) << help.out;
}

TEST(HcpcheckCli, WhatCannotBeCheckedGivesExitTwoAndTheFramesErrorInBothFormats) {
  PanelMachine machine;
  setUpPanel(machine);
  writeFile(machine.serverXmlPath(), "<Server><Service name=\"HCP\">");
  for (const char* format : {"--format=text", "--format=json"}) {
    ProcessResult broken = hcpcheck({format});
    EXPECT_EQ(broken.exitCode, 2) << broken.out;
    EXPECT_NE(broken.out.find("server.xml"), std::string::npos) << broken.out;
    EXPECT_NE(broken.out.find("(hcpcheck::start line "), std::string::npos) << broken.out;
    EXPECT_EQ(broken.out.find("consistent"), std::string::npos) << broken.out;
  }

  machine.writeSettings(false, "", "none");
  for (const char* format : {"--format=text", "--format=json"}) {
    ProcessResult none = hcpcheck({format});
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_EQ(none.out.rfind("Tomcat package provider is undefined\n   at (TomcatManager::get_provider line ", 0), 0u)
        << none.out;
    EXPECT_NE(none.out.find("(vconsoleapp::run line "), std::string::npos) << none.out;
  }
}

TEST(HcpcheckCli, WaitsForTheRunLock) {
  PanelMachine machine;
  setUpPanel(machine);
  std::atomic<bool> ended{false};
  ProcessResult result;
  std::thread check;
  {
    NamedMutexLock runLock(L"Global\\{6BFC2109-D683-451f-9ED2-D751D614C52B}", "WaitsForTheRunLock");
    check = std::thread([&] {
      result = hcpcheck();
      ended = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_FALSE(ended) << "hcpcheck did not wait for the run lock";
  }
  check.join();
  EXPECT_EQ(result.exitCode, 0) << result.out;
}

}  // namespace
