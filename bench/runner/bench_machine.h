#pragma once
// The sandbox machine of a benchmark run: a fixed HCP_SYSTEM_ROOT with the
// panel's settings, the Tomcat service defined but not running, the
// management service hcpsrv serving the product directories, and the
// generated state copied in afresh before every measured run.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "generator/state_generator.h"
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
  // scheduled tasks) by a copy of `templateDir`; nothing to do when the root
  // holds a copy of it that no run has changed. `willChange`: the next run
  // may change it. Not part of any measurement.
  void prepareState(const std::filesystem::path& templateDir, bool willChange);

  // Generates the state of `shape` right under the root in place of the one
  // there, for the runs that change only files of the Tomcat home: the
  // consistent state has some 60,000 files and directories at 10,000 hosts,
  // which take seconds to copy and as long to delete on this machine. The
  // time it took.
  double generateInPlace(const StateShape& shape);
  // Before a run on the generated state: puts back the files that earlier
  // runs edited. `willEdit`: the files the next run edits, relative to the
  // Tomcat home.
  void restoreGenerated(const std::vector<std::string>& willEdit);

 private:
  void removeState();

  std::filesystem::path workDir_;
  std::filesystem::path binDir_;
  std::filesystem::path root_;
  std::unique_ptr<BackgroundProcess> managementService_;
  std::filesystem::path copyOf_;     // the template the root holds unchanged; empty when none
  std::vector<std::string> edited_;  // the generated state's files that runs edited since
};

}  // namespace bench
