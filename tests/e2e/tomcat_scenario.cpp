#include "e2e/tomcat_scenario.h"

#include <algorithm>
#include <iostream>
#include <sstream>

namespace wc {

namespace e2e {

std::unique_ptr<TomcatMachine> TomcatScenario::machine_;
std::string TomcatScenario::setUpFailure_;
bool TomcatScenario::stepFailed_ = false;

namespace {

std::string trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text;
}

// The page of the archives that sandbox.sh builds: it names the application,
// the host name it was asked for and its context path.
std::string applicationPage(const std::string& application, const std::string& hostName) {
  return "application " + application + " answers for " + hostName + " at /" + application + "/";
}

bool isApplicationPage(const HttpResponse& response, const std::string& application, const std::string& hostName) {
  return response.status == 200 && trimmed(response.body) == applicationPage(application, hostName);
}

}  // namespace

void TomcatScenario::SetUpTestSuite() {
  setUpFailure_.clear();
  stepFailed_ = false;
  try {
    machine_ = std::make_unique<TomcatMachine>();
  } catch (const std::exception& e) {
    setUpFailure_ = e.what();
  }
}

void TomcatScenario::TearDownTestSuite() { machine_.reset(); }

void TomcatScenario::SetUp() {
  ASSERT_TRUE(machine_) << setUpFailure_;
  if (stepFailed_) GTEST_SKIP() << "an earlier step of this scenario failed";
}

void TomcatScenario::TearDown() {
  if (HasFailure()) {
    stepFailed_ = true;
    if (machine_) std::cerr << "Console output of the Tomcat service (last lines):\n" << machine_->consoleTail();
  }
}

std::string TomcatScenario::runWcadmin(const std::vector<std::string>& args) {
  testing_support::ProcessResult run = machine_->wcadmin(args);
  EXPECT_EQ(run.exitCode, 0) << describeRun("wcadmin", args, run);
  return run.out;
}

void TomcatScenario::expectConfigAccepted(const std::string& after) {
  ConfigTestResult result = machine_->configtest();
  EXPECT_TRUE(result.accepted) << "after " << after << ": " << result.report;
}

void TomcatScenario::expectServed(const std::string& application, const std::string& hostName,
                                  std::chrono::seconds limit) {
  HttpRequest request{hostName, "/" + application + "/"};
  HttpResponse response = pollHttp(
      request, [&](const HttpResponse& r) { return isApplicationPage(r, application, hostName); }, limit);
  EXPECT_TRUE(isApplicationPage(response, application, hostName))
      << "http://" << hostName << ":" << kHttpPort << "/" << application << "/ within " << limit.count()
      << " s: " << response.describe() << "\nexpected HTTP 200 \"" << applicationPage(application, hostName) << "\"";
}

void TomcatScenario::expectNotServed(const std::string& application, const std::string& hostName,
                                     std::chrono::seconds limit) {
  HttpRequest request{hostName, "/" + application + "/"};
  // Tomcat answers 404 for a host without the application and 400 for a name
  // that no host of the engine has; both mean "not served". No answer at all
  // is a different failure: Tomcat should be up.
  auto gone = [&](const HttpResponse& r) { return r.status == 404 || r.status == 400; };
  HttpResponse response = pollHttp(request, gone, limit);
  EXPECT_TRUE(gone(response)) << "http://" << hostName << ":" << kHttpPort << "/" << application
                              << "/ should not be served: " << response.describe();
}

std::vector<std::string> TomcatScenario::webAppList(const std::string& host, bool startedOnly) {
  std::vector<std::string> args = {"--get-webapp-list", "--vhost-name=" + host};
  if (startedOnly) args.push_back("--started-only");
  std::vector<std::string> names;
  std::istringstream out(runWcadmin(args));
  std::string line;
  while (std::getline(out, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) names.push_back(line);
  }
  std::sort(names.begin(), names.end());
  return names;
}

void TomcatScenario::expectNoUnexpectedSevereLines() {
  ASSERT_FALSE(machine_->tomcatLogFiles().empty()) << "Tomcat's logs are not where they were expected";
  std::string shown;
  for (const std::string& line : machine_->unexpectedSevereLines()) shown += line + "\n";
  EXPECT_TRUE(shown.empty()) << shown;
}

void TomcatScenario::expectManagerLists(const std::string& host, const std::string& credentials) {
  HttpRequest list{host, "/manager/text/list"};
  list.credentials = credentials;
  HttpResponse listed = pollHttp(
      list, [](const HttpResponse& r) { return r.status == 200; }, kDeployWait);
  EXPECT_EQ(listed.status, 200) << listed.describe();
  EXPECT_EQ(listed.body.rfind("OK - Listed applications for virtual host [" + host + "]", 0), 0u) << listed.body;
}

std::string TomcatScenario::wcadminStatus() {
  std::string out = runWcadmin({"--status"});
  return trimmed(out);
}

}  // namespace e2e

}  // namespace wc
