#pragma once
// A sandbox machine for running wcadmin as the panel does: the settings store,
// the product directories and the provider library.

#include <string>
#include <vector>

#include "support/sandbox.h"

namespace wc {

namespace cli {

// What differs between the platforms' machines (panel_machine_posix.cpp and
// panel_machine_win32.cpp):
// the file name of a provider library of the build;
std::string libraryFile(const std::string& name);
// a path of the machine as a Linux program sees it (the service commands);
std::string linuxPath(const std::string& path);
// console output with the platform's line ends turned into '\n';
std::string consoleLines(const std::string& out);
// whether a Linux program that a service's command line can run is installed;
bool hasLinuxProgram(const std::string& name);
// the first bytes of the platform's crash dump (a minidump, an ELF core).
extern const std::string kDumpSignature;

class CliSandbox : public testing_support::Sandbox {
 public:
  std::string productRoot() const { return path("opt/halvo"); }
  std::string productData() const { return path("var/opt/halvo"); }
  std::string tomcatHome() const { return path("opt/tomcat"); }

  // Settings with the product directories, Debug as given, and the Tomcat
  // package "tomcat10" pointing at `providerLibrary` (a file of build/bin), or
  // `packageName` alone when the library is empty.
  void writeSettings(bool debug, const std::string& providerLibrary = libraryFile("tomcatprovider"),
                     const std::string& packageName = "tomcat10", const std::string& extra = "") const;

  testing_support::ProcessResult wcadmin(const std::vector<std::string>& args) const {
    testing_support::ProcessResult result = testing_support::runProgram("wcadmin", args);
    result.out = consoleLines(result.out);
    return result;
  }
  // Run wcadmin and expect exit code 0, or 1 (that of a failed command);
  // return its output.
  std::string ok(const std::vector<std::string>& args) const { return runExpecting(0, args); }
  std::string failed(const std::vector<std::string>& args) const { return runExpecting(1, args); }

  // The debug log files of the product root, decoded from UTF-16LE; the raw
  // bytes of the first in `raw` when asked.
  std::vector<std::string> debugLogFiles() const;
  std::wstring debugLogText(std::string* raw = nullptr) const;

 private:
  std::string runExpecting(int exitCode, const std::vector<std::string>& args) const;
};

}  // namespace cli

}  // namespace wc
