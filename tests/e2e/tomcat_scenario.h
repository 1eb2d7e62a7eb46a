#pragma once
// The fixture of an end-to-end scenario: one sandbox machine with a real
// Tomcat for the whole test file, shared by its steps. The steps of a file run
// in the order they are written; once a step has failed, the later steps are
// skipped, since each builds on the state the earlier ones left.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "e2e/http_probe.h"
#include "e2e/tomcat_machine.h"

namespace wc {

namespace e2e {

class TomcatScenario : public ::testing::Test {
 public:
  static TomcatMachine& machine() { return *machine_; }

 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  // Runs wcadmin and fails the step when it does not succeed; gives stdout.
  static std::string runWcadmin(const std::vector<std::string>& args);
  // Fails the step unless catalina.sh configtest accepts server.xml.
  static void expectConfigAccepted(const std::string& after);
  // Waits (bounded) until the application's page is served for the host
  // name, or until it is not; fails the step with the last answer if not.
  static void expectServed(const std::string& application, const std::string& hostName,
                           std::chrono::seconds limit = kDeployWait);
  static void expectNotServed(const std::string& application, const std::string& hostName,
                              std::chrono::seconds limit = std::chrono::seconds(0));
  static std::string wcadminStatus();
  // Fails the step unless the host's manager application lists its
  // applications to the host's own user (waiting for its deployment).
  static void expectManagerLists(const std::string& host, const std::string& credentials = "admin:s3cret");
  // Fails the step when Tomcat's logs hold a SEVERE line that the panel's
  // configuration should not cause.
  static void expectNoUnexpectedSevereLines();
  // The names that --get-webapp-list prints, sorted (the directory gives
  // them in no particular order).
  static std::vector<std::string> webAppList(const std::string& host, bool startedOnly);

  // Tomcat checks its application bases every 10 s; on a busy machine a
  // deployment may take several rounds.
  static constexpr std::chrono::seconds kDeployWait{60};

 private:
  static std::unique_ptr<TomcatMachine> machine_;
  static std::string setUpFailure_;
  static bool stepFailed_;
};

}  // namespace e2e

}  // namespace wc
