#include "base/pipes/connect_try_count.h"

#include <gtest/gtest.h>

#include "support/sandbox.h"

namespace {

using testing_support::Sandbox;

void setTryCount(const Sandbox& sandbox, const std::string& value) {
  sandbox.writeRegistry(testing_support::kConfigSection + "\"PipeConnectTryCount\"=" + value + "\n");
}

TEST(ConnectTryCountTest, SettingIsReadOnTheFirstCallAndEverySixteenthAfterIt) {
  Sandbox sandbox;
  EXPECT_EQ(ConnectTryCount().tries(2), 2u);  // no setting: the default
  setTryCount(sandbox, "dword:00000003");
  ConnectTryCount count;
  EXPECT_EQ(count.tries(5), 3u);  // call 1
  setTryCount(sandbox, "dword:00000007");
  for (int call = 2; call <= 16; ++call) EXPECT_EQ(count.tries(5), 3u) << "call " << call;
  EXPECT_EQ(count.tries(5), 7u);  // call 17
  setTryCount(sandbox, "dword:00000000");
  for (int call = 18; call <= 32; ++call) EXPECT_EQ(count.tries(5), 7u) << "call " << call;
  EXPECT_EQ(count.tries(5), 5u);  // call 33: zero keeps the default
}

TEST(ConnectTryCountTest, UnreadableSettingStopsAllFurtherReadings) {
  Sandbox sandbox;
  setTryCount(sandbox, "dword:00000004");
  ConnectTryCount count;
  EXPECT_EQ(count.tries(5), 4u);
  setTryCount(sandbox, "\"nine\"");
  for (int call = 2; call <= 17; ++call) count.tries(5);  // call 17 meets the string
  setTryCount(sandbox, "dword:00000009");
  for (int call = 18; call <= 48; ++call) EXPECT_EQ(count.tries(5), 4u) << "call " << call;
}

}  // namespace
