#pragma once
// A panel machine in a sandbox: settings with Debug on, a Tomcat home with a
// stock-shaped server.xml, the Tomcat service defined in the platform's
// service manager (a small POSIX command run by the built service host, not
// Tomcat; Wine starts Linux programs too), and the management service running.
// What differs between platforms is in panel_machine_posix.cpp / _win32.cpp.

#include <memory>
#include <string>

#include "cli/cli_sandbox.h"
#include "support/background_program.h"

namespace wc {

namespace cli {

struct ServiceDefinition {
  std::string name = "Tomcat";
  std::string command = "/bin/sleep 600";
  std::string dependOnService;  // one name, or empty
  int readyPort = 0;            // 0: running at once
  int stopTimeoutMs = 0;        // 0: the default (SIGKILL after 60 s)
};

class PanelMachine : public CliSandbox {
 public:
  // `provider`: a library of build/bin; `services` are defined for the
  // machine's life and stopped and deleted at its end.
  explicit PanelMachine(const std::string& provider = libraryFile("tomcatprovider"),
                        const std::vector<ServiceDefinition>& services = {ServiceDefinition{}});
  ~PanelMachine();

  std::string varTomcat() const { return productData() + "/var/tomcat"; }
  std::string serverXmlPath() const { return tomcatHome() + "/conf/server.xml"; }
  std::string workersPath() const { return tomcatHome() + "/conf/workers.properties"; }
  std::string uriMapPath() const { return tomcatHome() + "/conf/uriworkermap.properties"; }
  std::string serverXml() const { return testing_support::readFile(serverXmlPath()); }
  std::string workers() const { return testing_support::readFile(workersPath()); }
  std::string uriMap() const { return testing_support::readFile(uriMapPath()); }
  std::string removalStorage() const;

  // The command's process id as the service's status record has it; 0 when
  // the service does not run.
  int servicePid(const std::string& name = "Tomcat") const;
  // --install, then --install-service for `host` with the default ports.
  void installPanelAndHost(const std::string& host) const;
  // An aliases file with the given content; returns its path.
  std::string aliasesFile(const std::string& content) const;
  // Puts <app>.war into the host's archive directory.
  void deployArchive(const std::string& host, const std::string& app) const;

 private:
  std::unique_ptr<testing_support::RunningHcpsrv> managementService_;
  std::vector<ServiceDefinition> services_;
};

// The ImagePath of a service that runs the POSIX command line `command`.
std::string hostedImagePath(const std::string& command);

// Deletes the removal's work item (on POSIX the sandbox holds it).
void deleteRemovalWorkItem();
// Counts the non-overlapping occurrences of `needle`.
size_t countOf(const std::string& haystack, const std::string& needle);

}  // namespace cli

}  // namespace wc
