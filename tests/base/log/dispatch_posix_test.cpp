// The event source's POSIX stand-in fails a report when its file cannot be
// written, which the LogManager must survive.

#include <gtest/gtest.h>

#include <filesystem>

#include "base/registry/registry.h"
#include "log_test_support.h"

namespace wc {

using testing_support::context;

using DispatchPosix = log_test::DispatchTest;

TEST_F(DispatchPosix, AFailedReportDropsTheEventSourceSoTheNextMessageRegistersAgain) {
  start(false);
  const std::wstring sourceKey = L"System\\CurrentControlSet\\Services\\EventLog\\Halvo\\test_log";
  const std::string file = box->sandbox().path("var/log/halvo/events.log");
  log_test::StdoutCapture capture;
  logMessage(LOG_ERROR, L"registers");
  ASSERT_TRUE(registry::keyExists(context, registry::Root::LocalMachine, sourceKey, 0));

  // While the source stays registered, nothing registers again.
  ASSERT_EQ(registry::deleteKey(context, registry::Root::LocalMachine, sourceKey), 0u);
  logMessage(LOG_ERROR, L"reported with the kept source");
  EXPECT_FALSE(registry::keyExists(context, registry::Root::LocalMachine, sourceKey, 0));

  // A report that fails loses its message and the source.
  std::filesystem::remove(file);
  std::filesystem::create_directory(file);
  logMessage(LOG_ERROR, L"lost");
  std::filesystem::remove(file);
  logMessage(LOG_ERROR, L"after the failure");
  capture.finish();
  EXPECT_TRUE(registry::keyExists(context, registry::Root::LocalMachine, sourceKey, 0));
  const std::string log = testing_support::readFile(file);
  EXPECT_EQ(log.find("lost"), std::string::npos);
  EXPECT_NE(log.find("after the failure"), std::string::npos);
}

}  // namespace wc
