#include "redirector/isapi_redirect_files.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "base/errors/os_error.h"
#include "support/failures.h"
#include "support/sandbox.h"

namespace {

using namespace testing_support;

std::string expectedProperties(const std::string& log, const std::string& workers, const std::string& map) {
  std::string text;
  for (const std::string& line : std::initializer_list<std::string>{
           "# Configuration file for the Jakarta ISAPI Redirector", "",
           "# The path to the ISAPI Redirector Extension, relative to the website",
           "# This must be in a virtual directory with execute privileges",
           "extension_uri=/jakarta-tomcat/isapi_redirect.dll", "",
           "# Full path to the log file for the ISAPI Redirector", "log_file=" + log, "",
           "# Log level (debug, info, warn, error or trace)", "log_level=error", "",
           "# Full path to the workers.properties file", "worker_file=" + workers, "",
           "# Full path to the uriworkermap.properties file", "worker_mount_file=" + map}) {
    text += line + "\r\n";
  }
  return text;
}

class RedirectFilesTest : public ::testing::Test {
 protected:
  RedirectFilesTest()
      : conf_(dir_ / "conf"),
        properties_(conf_ + "/isapi_redirect.properties"),
        workers_(conf_ + "/workers.properties"),
        map_(conf_ + "/uriworkermap.properties"),
        log_(dir_ / "\xC3\xA9t\xC3\xA9/admin/logs/isapi_redirect.log") {
    makeDirectories(conf_);
  }

  void create() { createIsapiRedirectorFiles(w(properties_), w(workers_), w(map_), w(log_)); }

  TempDir dir_;
  std::string conf_, properties_, workers_, map_, log_;
};

TEST_F(RedirectFilesTest, CreateWritesTheThreeFilesButKeepsExistingWorkersAndMounts) {
  create();
  EXPECT_EQ(readFile(workers_), "worker.list=ajp13\r\n");
  EXPECT_EQ(readFile(map_), "");
  EXPECT_EQ(readFile(properties_), expectedProperties(log_, workers_, map_));

  const std::string workers = "worker.list=ajp13,a_test\nworker.a_test.port=9008\n";
  const std::string map = "/a.test/app=a_test\n";
  writeFile(workers_, workers);
  writeFile(map_, map);
  writeFile(properties_, "log_level=debug\r\n" + std::string(5000, 'x'));
  create();
  EXPECT_EQ(readFile(workers_), workers);
  EXPECT_EQ(readFile(map_), map);
  EXPECT_EQ(readFile(properties_), expectedProperties(log_, workers_, map_));
}

TEST_F(RedirectFilesTest, ResetPutsBackTheInstallContentsWhetherOrNotTheFilesExist) {
  writeFile(workers_, "worker.list=ajp13,a_test\r\nworker.a_test.port=9008\r\n");
  writeFile(map_, "/a.test/app=a_test\r\n");
  writeFile(properties_, "custom\r\n");
  resetIsapiRedirectorFiles(w(workers_), w(map_));
  EXPECT_EQ(readFile(workers_), "worker.list=ajp13\r\n");
  EXPECT_EQ(readFile(map_), "");
  EXPECT_EQ(readFile(properties_), "custom\r\n");

  const std::string otherWorkers = dir_ / "w.properties";
  const std::string otherMap = dir_ / "m.properties";
  resetIsapiRedirectorFiles(w(otherWorkers), w(otherMap));
  EXPECT_EQ(readFile(otherWorkers), "worker.list=ajp13\r\n");
  EXPECT_TRUE(pathExists(otherMap));
}

TEST_F(RedirectFilesTest, EmptyOrUnconvertiblePathsChangeNothingAndAnUnwritableOneIsNamed) {
  EXPECT_THROW(createIsapiRedirectorFiles(L"", w(workers_), w(map_), w(log_)), ArgumentException);
  EXPECT_THROW(resetIsapiRedirectorFiles(w(workers_), L""), ArgumentException);
  // A lone surrogate has no form in the code page.
  const std::wstring badLog = std::wstring(L"log") + static_cast<wchar_t>(0xD800);
  EXPECT_THROW(createIsapiRedirectorFiles(w(properties_), w(workers_), w(map_), badLog), vexception);
  EXPECT_FALSE(pathExists(workers_));
  EXPECT_FALSE(pathExists(map_));
  EXPECT_FALSE(pathExists(properties_));
  const std::string missingDir = dir_ / "missing/isapi_redirect.properties";
  EXPECT_TRUE(holds(failureOf<vosexception>([&] {
                      createIsapiRedirectorFiles(w(missingDir), w(workers_), w(map_), w(log_));
                    }).message(),
                    L"at Write file '" + w(missingDir) + L"'"));
}

}  // namespace
