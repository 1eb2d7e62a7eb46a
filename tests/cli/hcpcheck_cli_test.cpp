// hcpcheck seen from outside: silent with exit 0 on a machine the commands
// set up, one line (or JSON object) per drift with exit 1, and exit 2 with
// wcadmin's form of the error when it cannot check.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "base/system/named_mutex.h"
#include "cli/panel_machine.h"
#include "wc_version.h"

namespace wc {

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

// The line of `out` that starts with `start`; empty when there is none.
std::string lineStarting(const std::string& out, const std::string& start) {
  const std::string lines = "\n" + out;
  const size_t at = lines.find("\n" + start);
  return at == std::string::npos ? "" : lines.substr(at + 1, lines.find('\n', at + 1) - at - 1);
}

TEST(HcpcheckCli, WaitsForTheRunLockSilentWhenConsistentOneLinePerDriftFixRepairsItAndExitTwoWhenItCannotCheck) {
  // The panel with h.test (alias a.test) and its started application Shop.
  PanelMachine machine;
  const std::string aliases = "--aliases=" + machine.aliasesFile("a.test");
  machine.installPanelAndHost("h.test");
  machine.ok({"--install-vhost", "--vhost-name=h.test", aliases});
  machine.deployArchive("h.test", "Shop");
  machine.ok({"--start-webapp", "--vhost-name=h.test", "--webapp-name=Shop", aliases});
  std::atomic<bool> ended{false};
  ProcessResult text;
  std::thread check;
  {
    NamedMutexLock runLock(L"Global\\{6BFC2109-D683-451f-9ED2-D751D614C52B}", "WaitsForTheRunLock");
    check = std::thread([&] {
      text = hcpcheck();
      ended = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_FALSE(ended) << "hcpcheck did not wait for the run lock";
  }
  check.join();
  EXPECT_EQ(text.exitCode, 0) << text.out;
  EXPECT_EQ(text.out, "");
  EXPECT_EQ(text.err, "");
  ProcessResult json = hcpcheck({"--format=json"});
  EXPECT_EQ(json.exitCode, 0) << json.out;
  EXPECT_EQ(json.out, "{\"consistent\":true,\"findings\":[]}\n");
  EXPECT_EQ(hcpcheck({"--format=json", "--format=text"}).out, "");  // the last one counts

  // The worker's keys are gone, and a mount for an application never started
  // comes after the mounts of Shop.
  const std::string workers = readFile(machine.workersPath()), mounts = readFile(machine.uriMapPath());
  writeFile(machine.workersPath(), workers.substr(0, workers.find("worker.h_test.")));
  writeFile(machine.uriMapPath(), mounts + "/h.test/Gone=h_test\r\n");
  const std::string goneLine = std::to_string(cli::countOf(mounts, "\n") + 1);

  text = hcpcheck();
  EXPECT_EQ(text.exitCode, 1) << text.out;
  EXPECT_EQ(text.err, "");
  EXPECT_TRUE(
      lineStarting(text.out, "worker-missing: h.test: ").ends_with(" (" + nativePath(machine.workersPath()) + ")"))
      << text.out;
  EXPECT_TRUE(lineStarting(text.out, "mounts-orphan: h.test: ")
                  .ends_with(" (" + nativePath(machine.uriMapPath()) + ":" + goneLine + ")"))
      << text.out;
  EXPECT_EQ(cli::countOf(text.out, "\n"), 2u) << text.out;

  json = hcpcheck({"--format=json"});
  EXPECT_EQ(json.exitCode, 1) << json.out;
  EXPECT_EQ(json.out.rfind("{\"consistent\":false,\"findings\":[{\"kind\":\"", 0), 0u) << json.out;
  EXPECT_NE(json.out.find("{\"kind\":\"mounts-orphan\",\"host\":\"h.test\",\"problem\":\""), std::string::npos);
  EXPECT_NE(json.out.find("\"file\":\"" + jsonPath(machine.uriMapPath()) + "\",\"line\":" + goneLine + "}"),
            std::string::npos)
      << json.out;

  ProcessResult fix = hcpcheck({"--fix"});
  EXPECT_EQ(fix.exitCode, 0) << fix.out;
  EXPECT_EQ(lineStarting(fix.out, "fixed: mounts-orphan: h.test: "),
            "fixed: mounts-orphan: h.test: dropped the mount /h.test/Gone");
  EXPECT_NE(lineStarting(fix.out, "fixed: worker-missing: h.test: "), "") << fix.out;
  EXPECT_EQ(cli::countOf(fix.out, "\n"), 2u) << fix.out;
  EXPECT_EQ(readFile(machine.workersPath()), workers);
  EXPECT_EQ(readFile(machine.uriMapPath()), mounts);
  EXPECT_EQ(hcpcheck().exitCode, 0);
  EXPECT_EQ(hcpcheck({"--format=json", "--fix"}).out, "{\"consistent\":true,\"findings\":[],\"fixed\":[]}\n");

  // What cannot be checked gives exit 2 and the frame's error in both formats.
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

TEST(HcpcheckCli, AnUnknownArgumentIsAUsageErrorAndHelpAndVersionAreNot) {
  for (const std::string arg : {"--fix=all", "--format=xml", "-format=json"}) {
    ProcessResult result = hcpcheck({arg});
    EXPECT_EQ(result.exitCode, 2) << arg;
    EXPECT_EQ(result.out, "") << arg;
    EXPECT_NE(result.err.find("unknown argument '" + arg + "'"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("Usage: hcpcheck"), std::string::npos) << arg;
  }
  ProcessResult help = hcpcheck({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind("Usage: hcpcheck", 0), 0u) << help.out;
  ProcessResult version = hcpcheck({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, "hcpcheck " WC_VERSION "\n");
}

}  // namespace

}  // namespace wc
