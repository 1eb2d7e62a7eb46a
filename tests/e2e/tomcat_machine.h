#pragma once
// A sandbox machine with a real Tomcat (scripts/sandbox.sh): the settings
// store, a private CATALINA_BASE, the "Tomcat" service and a running hcpsrv.
// Taken down, every process it started included, when the object goes.
// With WC_E2E_WINDOWS_BIN set to the Windows programs' directory, the machine
// is the Wine prefix of WINEPREFIX and the scenario runs wcadmin.exe there.

#include <string>
#include <vector>

#include "support/sandbox.h"

namespace wc {

namespace e2e {

constexpr int kHttpPort = 9080;
constexpr int kAjpPort = 9008;
constexpr int kStockHttpPort = 8080;

// What `catalina.sh configtest` made of the configuration.
struct ConfigTestResult {
  bool accepted = false;
  std::string report;  // why not: the exit code and the lines that count
};

class TomcatMachine {
 public:
  // Throws std::runtime_error with sandbox.sh's output when the set-up fails.
  TomcatMachine();
  ~TomcatMachine();
  TomcatMachine(const TomcatMachine&) = delete;
  TomcatMachine& operator=(const TomcatMachine&) = delete;

  const std::string& root() const { return sandbox_.root(); }
  std::string tomcatBase() const { return sandbox_.path("opt/tomcat"); }
  std::string serverXmlPath() const { return tomcatBase() + "/conf/server.xml"; }
  std::string serverXml() const { return testing_support::readFile(serverXmlPath()); }
  // The panel's Tomcat data directory (PRODUCT_DATA_D + var/tomcat).
  std::string dataDirectory() const { return sandbox_.path("var/opt/halvo/var/tomcat"); }
  std::string startedLinkPath(const std::string& host, const std::string& application) const;

  // Linux paths in the arguments go to wcadmin.exe as Wine's Z: paths; its
  // output comes back with '\n' line ends.
  testing_support::ProcessResult wcadmin(const std::vector<std::string>& args) const { return run("wcadmin", args); }
  testing_support::ProcessResult hcpreg(const std::vector<std::string>& args) const { return run("hcpreg", args); }

  ConfigTestResult configtest() const;

  // Builds the sandbox's small archive for `application` and puts it into the
  // host's archive directory, as the panel does on deployment.
  void deployArchive(const std::string& host, const std::string& application) const;
  // Writes an aliases file into the sandbox and gives its path.
  std::string writeAliasesFile(const std::string& name, const std::string& content) const;

  // Tomcat's log files (catalina.*.log) and the service's console output.
  std::vector<std::string> tomcatLogFiles() const;
  // SEVERE lines of those logs other than the ones the panel's configuration
  // always draws.
  std::vector<std::string> unexpectedSevereLines() const;
  // How many times Tomcat has logged the end of its start-up ("Server
  // startup in") on the service's console.
  int startupCount() const;
  // The tail of the service's console output, for failure messages.
  std::string consoleTail(size_t lines = 40) const;

  // Runs scripts/sandbox.sh with arguments.
  static testing_support::ProcessResult sandboxScript(const std::vector<std::string>& args);

 private:
  // Runs a program of the machine's platform.
  testing_support::ProcessResult run(const std::string& program, const std::vector<std::string>& args) const;

  testing_support::Sandbox sandbox_;
  std::string windowsBin_;  // empty: the Linux programs of the build
};

// The command line and everything a run printed, for failure messages.
std::string describeRun(const std::string& program, const std::vector<std::string>& args,
                        const testing_support::ProcessResult& result);

}  // namespace e2e

}  // namespace wc
