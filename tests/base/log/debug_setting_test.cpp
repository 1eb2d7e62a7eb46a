#include "base/log/debug_setting.h"

#include <gtest/gtest.h>

#include "support/sandbox.h"
#include "support/test_context.h"

namespace wc {

TEST(PolledDebugSetting, ReadsTheStoreOnCalls1_17_33AndSoOnKeepingTheValueReadLast) {
  testing_support::Sandbox sandbox;
  auto store = [&](const std::string& values) { sandbox.writeRegistry(testing_support::kConfigSection + values); };
  PolledDebugSetting setting(testing_support::context);
  // Sixteen calls: the first reads what was stored before, then the store
  // changes, and the other fifteen answer the same.
  auto sixteenCalls = [&](const std::string& values) {
    const bool answer = setting.get();
    store(values);
    for (int call = 2; call <= 16; ++call) EXPECT_EQ(setting.get(), answer) << "call " << call;
    return answer;
  };
  store("\"Other\"=dword:00000001");
  EXPECT_FALSE(sixteenCalls("\"Debug\"=dword:00000001"));  // missing: initially off
  EXPECT_TRUE(sixteenCalls("\"Other\"=dword:00000000"));
  EXPECT_TRUE(sixteenCalls("\"Debug\"=dword:00000000"));  // missing: the value read last
  EXPECT_FALSE(sixteenCalls("\"Debug\"=dword:00000002"));
  EXPECT_TRUE(sixteenCalls("\"Debug\"=\"1\""));  // any non-zero value is on

  // A value of the wrong type or size answers false.
  EXPECT_FALSE(setting.get());
  store("\"Debug\"=hex(4):01,00,00,00,00,00,00,00");
  EXPECT_FALSE(PolledDebugSetting(testing_support::context).get());
}

}  // namespace wc
