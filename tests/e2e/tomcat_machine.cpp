#include "e2e/tomcat_machine.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "base/system/process.h"

namespace wc {

namespace e2e {

namespace {

const std::string kSandboxScript = std::string(WC_SOURCE_DIR) + "/scripts/sandbox.sh";

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    result.push_back(line);
  }
  return result;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Warnings that the panel's manager Context always draws: Tomcat 10 has no
// such properties any more and ignores them.
bool isKnownConfigWarning(const std::string& line) {
  return contains(line, "Match [Server/Service/Engine/Host/Context] failed to set property [className]") ||
         contains(line, "Match [Server/Service/Engine/Host/Context] failed to set property [cachingAllowed]");
}

// SEVERE lines that a correct configuration of the panel still draws: its
// Engine names no default host, and this machine has no Tomcat native library.
bool isKnownSevereLine(const std::string& line) {
  return contains(line, "Unknown default host") || contains(line, "Tomcat Native library") ||
         contains(line, "AprLifecycleListener");
}

// An argument with a Linux path as its value (--aliases=/tmp/...) as
// wcadmin.exe takes it under Wine.
std::string windowsArgument(const std::string& arg) {
  const size_t value = arg.find("=/");
  if (value == std::string::npos) return arg;
  std::string converted = arg.substr(0, value + 1) + "Z:" + arg.substr(value + 1);
  std::replace(converted.begin() + static_cast<std::ptrdiff_t>(value), converted.end(), '/', '\\');
  return converted;
}

}  // namespace

TomcatMachine::TomcatMachine() {
  const char* windowsBin = std::getenv("WC_E2E_WINDOWS_BIN");
  if (windowsBin) windowsBin_ = windowsBin;
  std::vector<std::string> args = {"up", sandbox_.root(), windowsBin_.empty() ? std::string(WC_BIN_DIR) : windowsBin_};
  if (!windowsBin_.empty()) args.push_back("--windows");
  args.insert(args.end(), {"--watch", std::to_string(wc::currentProcessId())});
  testing_support::ProcessResult up = sandboxScript(args);
  if (up.exitCode != 0) {
    sandboxScript({"down", sandbox_.root()});
    throw std::runtime_error("the sandbox machine could not be set up:\n" +
                             describeRun(kSandboxScript, {"up", sandbox_.root()}, up));
  }
}

TomcatMachine::~TomcatMachine() {
  try {
    sandboxScript({"down", sandbox_.root()});
  } catch (...) {
    // The watcher that sandbox.sh started takes the machine down when this
    // process ends.
  }
}

std::string TomcatMachine::startedLinkPath(const std::string& host, const std::string& application) const {
  return dataDirectory() + "/hcp-webapps/" + host + "/" + application + ".war";
}

testing_support::ProcessResult TomcatMachine::run(const std::string& program,
                                                  const std::vector<std::string>& args) const {
  if (windowsBin_.empty()) return testing_support::runProgram(program, args);
  std::vector<std::string> wineArgs = {windowsBin_ + "/" + program + ".exe"};
  for (const std::string& arg : args) wineArgs.push_back(windowsArgument(arg));
  testing_support::ProcessResult result = testing_support::runProgram("/usr/bin/wine", wineArgs);
  std::erase(result.out, '\r');
  return result;
}

ConfigTestResult TomcatMachine::configtest() const {
  testing_support::ProcessResult run = sandboxScript({"catalina", root(), "configtest"});
  const std::string output = run.out + run.err;
  // A running Tomcat holds the ports that configtest binds as well.
  const bool portsHeld = contains(output, "Address already in use");
  std::string problems;
  for (const std::string& line : lines(output)) {
    const bool severe = line.rfind("SEVERE:", 0) == 0;
    const bool warning = line.rfind("WARNING:", 0) == 0;
    if (!severe && !warning) continue;
    if (warning && isKnownConfigWarning(line)) continue;
    if (severe && portsHeld && contains(line, "Failed to initialize component [Connector[")) continue;
    problems += "  " + line + "\n";
  }
  ConfigTestResult result;
  result.accepted = run.exitCode == 0 && problems.empty();
  if (!result.accepted) {
    result.report = "catalina.sh configtest ended with exit code " + std::to_string(run.exitCode) +
                    (problems.empty() ? "\n" + output : " and these lines:\n" + problems) + "server.xml:\n" +
                    serverXml();
  }
  return result;
}

void TomcatMachine::deployArchive(const std::string& host, const std::string& application) const {
  const std::string archive = dataDirectory() + "/hcp-wars/" + host + "/" + application + ".war";
  testing_support::makeDirectories(std::filesystem::path(archive).parent_path().string());
  testing_support::ProcessResult war = sandboxScript({"war", archive, application});
  if (war.exitCode != 0) {
    throw std::runtime_error("building " + archive + " failed:\n" +
                             describeRun(kSandboxScript, {"war", archive, application}, war));
  }
}

std::string TomcatMachine::writeAliasesFile(const std::string& name, const std::string& content) const {
  std::string path = sandbox_.path(name);
  testing_support::writeFile(path, content);
  return path;
}

std::vector<std::string> TomcatMachine::tomcatLogFiles() const {
  std::vector<std::string> files;
  for (const std::string& name : testing_support::namesIn(tomcatBase() + "/logs")) {
    if (name.rfind("catalina.", 0) == 0) files.push_back(tomcatBase() + "/logs/" + name);
  }
  std::string console = sandbox_.path("run/halvo/services/Tomcat/output.log");
  if (testing_support::pathExists(console)) files.push_back(console);
  return files;
}

std::vector<std::string> TomcatMachine::unexpectedSevereLines() const {
  std::vector<std::string> unexpected;
  for (const std::string& file : tomcatLogFiles()) {
    for (const std::string& line : lines(testing_support::readFile(file))) {
      if (contains(line, "SEVERE") && !isKnownSevereLine(line)) unexpected.push_back(file + ": " + line);
    }
  }
  return unexpected;
}

int TomcatMachine::startupCount() const {
  std::string console = sandbox_.path("run/halvo/services/Tomcat/output.log");
  if (!testing_support::pathExists(console)) return 0;
  int count = 0;
  for (const std::string& line : lines(testing_support::readFile(console))) {
    if (contains(line, "Server startup in")) ++count;
  }
  return count;
}

std::string TomcatMachine::consoleTail(size_t count) const {
  std::string console = sandbox_.path("run/halvo/services/Tomcat/output.log");
  if (!testing_support::pathExists(console)) return "(no console output of the Tomcat service)";
  std::vector<std::string> all = lines(testing_support::readFile(console));
  std::string tail;
  for (size_t i = all.size() > count ? all.size() - count : 0; i < all.size(); ++i) tail += all[i] + "\n";
  return tail;
}

testing_support::ProcessResult TomcatMachine::sandboxScript(const std::vector<std::string>& args) {
  return testing_support::runProgram(kSandboxScript, args);
}

std::string describeRun(const std::string& program, const std::vector<std::string>& args,
                        const testing_support::ProcessResult& result) {
  std::string text = program;
  for (const std::string& arg : args) text += " " + arg;
  text += "\nexit code " + std::to_string(result.exitCode);
  if (!result.out.empty()) text += "\nstdout:\n" + result.out;
  if (!result.err.empty()) text += "\nstderr:\n" + result.err;
  return text;
}

}  // namespace e2e

}  // namespace wc
