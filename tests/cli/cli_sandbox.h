#pragma once
// A sandbox machine for running wcadmin as the panel does: the settings store,
// the product directories and the provider library.

#include <string>
#include <vector>

#include "support/sandbox.h"

namespace cli {

// The file name of a library of the build: lib<name>.so, or <name>.dll.
std::string libraryFile(const std::string& name);

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
    return testing_support::runProgram("wcadmin", args);
  }

  // The debug log files of the product root, decoded from UTF-16LE; the raw
  // bytes of the first in `raw` when asked.
  std::vector<std::string> debugLogFiles() const;
  std::wstring debugLogText(std::string* raw = nullptr) const;
};

}  // namespace cli
