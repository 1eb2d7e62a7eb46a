#include "base/log/debug_setting.h"

#include <gtest/gtest.h>

#include "log_test_support.h"

namespace {
void setDebug(const testing_support::Sandbox& sandbox, const std::string& value) {
  sandbox.writeRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config]\n" + value + "\n");
}
}  // namespace

TEST(PolledDebugSetting, ReadsTheStoreOnCalls1_17And33Only) {
  testing_support::Sandbox sandbox;
  PolledDebugSetting setting;
  setDebug(sandbox, "\"Debug\"=dword:00000001");
  EXPECT_TRUE(setting.get());  // call 1 reads
  setDebug(sandbox, "\"Debug\"=dword:00000000");
  for (int call = 2; call <= 16; ++call) EXPECT_TRUE(setting.get()) << "call " << call;
  EXPECT_FALSE(setting.get());  // call 17 reads
  setDebug(sandbox, "\"Debug\"=dword:00000002");
  for (int call = 18; call <= 32; ++call) EXPECT_FALSE(setting.get()) << "call " << call;
  EXPECT_TRUE(setting.get());  // call 33 reads; any non-zero value is on
}

TEST(PolledDebugSetting, AMissingValueKeepsTheCachedOne) {
  testing_support::Sandbox sandbox;
  PolledDebugSetting setting;
  setDebug(sandbox, "\"Other\"=dword:00000001");
  EXPECT_FALSE(setting.get());  // initially off
  for (int call = 2; call <= 16; ++call) setting.get();
  setDebug(sandbox, "\"Debug\"=dword:00000001");
  EXPECT_TRUE(setting.get());  // call 17
  setDebug(sandbox, "\"Other\"=dword:00000000");
  for (int call = 18; call <= 33; ++call) EXPECT_TRUE(setting.get()) << "call " << call;
}

TEST(PolledDebugSetting, AValueOfTheWrongTypeAnswersFalse) {
  testing_support::Sandbox sandbox;
  PolledDebugSetting setting;
  setDebug(sandbox, "\"Debug\"=\"1\"");
  EXPECT_FALSE(setting.get());

  PolledDebugSetting wrongSize;
  setDebug(sandbox, "\"Debug\"=hex(4):01,00,00,00,00,00,00,00");
  EXPECT_FALSE(wrongSize.get());
}
