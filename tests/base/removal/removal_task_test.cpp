// The scheduled task of the deferred removal: its timing settings, its
// triggers, and when it is made, left alone and cleared.

#include "base/removal/removal_task.h"

#include <gtest/gtest.h>

#include "removal_test_support.h"

namespace wc {

namespace {

using namespace removal_test;

constexpr int64_t kNow = 1'704'164'880;  // early January 2024

TEST(RemovalTaskTest, TimingComesFromTheSettingsWithDefaults) {
  RemovalMachine machine;
  RemovalTiming defaults = readRemovalTiming(context);
  EXPECT_EQ(defaults.waitMinutes, 2u);
  EXPECT_EQ(defaults.updatePeriodMinutes, 20u);

  machine.writeSettings(
      "\"DeferredFilesRemovalWait\"=dword:0000000a\n\"DeferredFilesRemovalUpdatePeriod\"=dword:000005a0\n");
  RemovalTiming set = readRemovalTiming(context);
  EXPECT_EQ(set.waitMinutes, 10u);
  EXPECT_EQ(set.updatePeriodMinutes, 1440u);

  machine.writeSettings("\"DeferredFilesRemovalUpdatePeriod\"=dword:00000000\n");
  EXPECT_TRUE(holds(failureOf([] { readRemovalTiming(context); }), L"DeferredFilesRemovalUpdatePeriod must be from 1"));
  machine.writeSettings("\"DeferredFilesRemovalWait\"=\"soon\"\n");
  EXPECT_TRUE(holds(failureOf([] { readRemovalTiming(context); }), L"DeferredFilesRemovalWait"));
}

TEST(RemovalTaskTest, TriggersBeginTheWaitAfterNowAndRepeatForADayOrOneMinuteLongerThanThePeriod) {
  const std::vector<TaskTrigger> triggers = removalTriggers({7, 5}, kNow);
  ASSERT_EQ(triggers.size(), 2u);
  const LocalTime first = toLocalTime(kNow + 7 * 60);
  EXPECT_EQ(triggers[0], (TaskTrigger{TaskTrigger::Type::Daily, first.year, first.month, first.day, first.hour,
                                      first.minute, 1, 5, 1440}));
  EXPECT_EQ(triggers[1],
            (TaskTrigger{TaskTrigger::Type::AtSystemStart, first.year, first.month, first.day, 0, 0, 1, 0, 0}));
  EXPECT_EQ(removalTriggers({2, 1439}, kNow)[0].minutesDuration, 1440u);
  EXPECT_EQ(removalTriggers({2, 1440}, kNow)[0].minutesDuration, 1441u);
}

TEST(RemovalTaskTest, SchedulingMakesTheWorkItemOnceAndClearingKeepsIt) {
  RemovalMachine machine;
  FixedClock clock(kNow);
  const Context context = testContext(clock);
  clearRemovalTaskTriggers();
  EXPECT_FALSE(removalTask()) << "clearing a missing work item makes none";

  int asked = 0;
  auto root = [&](const std::string& path) {
    return [&asked, path] {
      ++asked;
      return w(path);
    };
  };
  scheduleRemovalTask(context, {2, 20}, root(machine.productRoot()));
  const std::optional<WorkItem> item = removalTask();
  ASSERT_TRUE(item);
  EXPECT_EQ(slashed(item->application), w(machine.productRoot() + "/admin/bin/") + removalToolFileName());
  EXPECT_EQ(*item, (WorkItem{item->application, L"--remove-files", L"", removalTriggers({2, 20}, kNow)}));

  // A work item with triggers is left as it is, and nobody is asked for the root.
  FixedClock later(kNow + 86400 * 3);
  const Context laterContext = testContext(later);
  scheduleRemovalTask(laterContext, {9, 45}, root(machine.path("elsewhere")));
  EXPECT_EQ(removalTask(), item);

  clearRemovalTaskTriggers();
  EXPECT_EQ(removalTask(), (WorkItem{item->application, L"--remove-files", L"", {}}));

  // The item exists: scheduling only adds the triggers.
  scheduleRemovalTask(laterContext, {3, 20}, root(machine.path("elsewhere")));
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(removalTask(),
            (WorkItem{item->application, L"--remove-files", L"", removalTriggers({3, 20}, kNow + 86400 * 3)}));
}

}  // namespace

}  // namespace wc
