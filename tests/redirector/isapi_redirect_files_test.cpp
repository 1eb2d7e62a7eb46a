#include "redirector/isapi_redirect_files.h"

#include <gtest/gtest.h>

#include <string>

#include "base/errors/os_error.h"
#include "base/errors/strict_convert.h"
#include "support/failures.h"
#include "support/sandbox.h"
#include "support/test_context.h"

namespace wc {

namespace {

using namespace testing_support;

class RedirectFilesTest : public ::testing::Test {
 protected:
  RedirectFilesTest() { makeDirectories(dir_ / "conf"); }

  void create() { createIsapiRedirectorFiles(context, w(properties_), w(workers_), w(map_), w(log_)); }

  // The redirector reads its files in the code page, paths too.
  std::string expectedProperties() const {
    return "# Configuration file for the Jakarta ISAPI Redirector\r\n\r\n"
           "# The path to the ISAPI Redirector Extension, relative to the website\r\n"
           "# This must be in a virtual directory with execute privileges\r\n"
           "extension_uri=/jakarta-tomcat/isapi_redirect.dll\r\n\r\n"
           "# Full path to the log file for the ISAPI Redirector\r\nlog_file=" +
           cstr(w(log_)) +
           "\r\n\r\n"
           "# Log level (debug, info, warn, error or trace)\r\nlog_level=error\r\n\r\n"
           "# Full path to the workers.properties file\r\nworker_file=" +
           cstr(w(workers_)) +
           "\r\n\r\n"
           "# Full path to the uriworkermap.properties file\r\nworker_mount_file=" +
           cstr(w(map_)) + "\r\n";
  }

  TempDir dir_;
  std::string properties_ = dir_ / "conf/isapi_redirect.properties";
  std::string workers_ = dir_ / "conf/workers.properties";
  std::string map_ = dir_ / "conf/uriworkermap.properties";
  std::string log_ = dir_ / "\xC3\xA9t\xC3\xA9/admin/logs/isapi_redirect.log";
};

TEST_F(RedirectFilesTest, CreateWritesTheThreeFilesAndKeepsExistingWorkersAndMountsWhichResetPutsBack) {
  create();
  EXPECT_EQ(readFile(workers_), "worker.list=ajp13\r\n");
  EXPECT_EQ(readFile(map_), "");
  EXPECT_EQ(readFile(properties_), expectedProperties());

  const std::string workers = "worker.list=ajp13,a_test\nworker.a_test.port=9008\n";
  writeFile(workers_, workers);
  writeFile(map_, "/a.test/app=a_test\n");
  writeFile(properties_, "log_level=debug\r\n" + std::string(5000, 'x'));
  create();
  EXPECT_EQ(readFile(workers_), workers);
  EXPECT_EQ(readFile(map_), "/a.test/app=a_test\n");
  EXPECT_EQ(readFile(properties_), expectedProperties());

  resetIsapiRedirectorFiles(context, w(workers_), w(map_));
  EXPECT_EQ(readFile(workers_), "worker.list=ajp13\r\n");
  EXPECT_EQ(readFile(map_), "");
  EXPECT_EQ(readFile(properties_), expectedProperties());

  resetIsapiRedirectorFiles(context, w(dir_ / "w.properties"), w(dir_ / "m.properties"));
  EXPECT_EQ(readFile(dir_ / "w.properties"), "worker.list=ajp13\r\n");
  EXPECT_TRUE(pathExists(dir_ / "m.properties"));
}

TEST_F(RedirectFilesTest, EmptyOrUnconvertiblePathsChangeNothingAndAnUnwritableOneIsNamed) {
  EXPECT_THROW(createIsapiRedirectorFiles(context, L"", w(workers_), w(map_), w(log_)), ArgumentException);
  EXPECT_THROW(resetIsapiRedirectorFiles(context, w(workers_), L""), ArgumentException);
  // A lone surrogate has no form in the code page.
  const std::wstring badLog = std::wstring(L"log") + static_cast<wchar_t>(0xD800);
  EXPECT_THROW(createIsapiRedirectorFiles(context, w(properties_), w(workers_), w(map_), badLog), vexception);
  EXPECT_FALSE(pathExists(workers_) || pathExists(map_) || pathExists(properties_));
  const std::string missingDir = dir_ / "missing/isapi_redirect.properties";
  EXPECT_TRUE(holds(failureOf<vosexception>([&] {
                      createIsapiRedirectorFiles(context, w(missingDir), w(workers_), w(map_), w(log_));
                    }).message(),
                    L"at Open file '" + w(missingDir) + L"' to write"));
}

}  // namespace

}  // namespace wc
