#pragma once
// The sandbox machine of a benchmark run: a fixed HCP_SYSTEM_ROOT with the
// panel's settings, the Tomcat service defined but not running, the
// management service hcpsrv serving the product directories, and the
// generated state copied in afresh before every measured run.

#include <filesystem>
#include <memory>
#include <string>

#include "runner/child_process.h"

namespace bench {

class BenchMachine {
 public:
  // `workDir` holds the root and the generated states; `binDir` the built
  // programs (wcadmin, hcpsrv, libtomcatprovider.so).
  BenchMachine(std::filesystem::path workDir, std::filesystem::path binDir);
  ~BenchMachine();

  const std::filesystem::path& root() const { return root_; }
  std::string tomcatHome() const;
  std::string varTomcatDir() const;
  EnvironmentOverrides environment() const;

  // Writes the settings store and starts hcpsrv; waits until it listens.
  void start();
  // Replaces the state under the root (Tomcat home, product directories,
  // scheduled tasks) by a copy of `templateDir`. Not part of any measurement.
  void resetState(const std::filesystem::path& templateDir);

 private:
  std::filesystem::path workDir_;
  std::filesystem::path binDir_;
  std::filesystem::path root_;
  std::unique_ptr<BackgroundProcess> managementService_;
};

}  // namespace bench
