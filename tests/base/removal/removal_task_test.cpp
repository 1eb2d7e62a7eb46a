// The scheduled task of the deferred removal: its timing settings, its
// triggers, and when it is made, left alone and cleared.

#include "base/removal/removal_task.h"

#include <gtest/gtest.h>

#include "base/removal/work_item_store.h"
#include "removal_test_support.h"

namespace {

using removal_test::failureOf;
using removal_test::FixedClock;
using removal_test::holds;
using removal_test::RemovalMachine;
using removal_test::triggerLines;
using removal_test::w;
using testing_support::readFile;

constexpr int64_t kNow = 1'704'164'880;  // early January 2024

TEST(RemovalTaskTest, TheRepetitionLastsADayOrOneMinuteLongerThanThePeriod) {
  EXPECT_EQ(repetitionDuration(5), 1440u);
  EXPECT_EQ(repetitionDuration(1439), 1440u);
  EXPECT_EQ(repetitionDuration(1440), 1441u);
  EXPECT_EQ(repetitionDuration(3000), 3001u);
}

TEST(RemovalTaskTest, TimingComesFromTheSettingsWithDefaults) {
  RemovalMachine machine;
  RemovalTiming defaults = readRemovalTiming();
  EXPECT_EQ(defaults.waitMinutes, 2u);
  EXPECT_EQ(defaults.updatePeriodMinutes, 20u);

  machine.writeSettings(
      "\"DeferredFilesRemovalWait\"=dword:0000000a\n\"DeferredFilesRemovalUpdatePeriod\"=dword:000005a0\n");
  RemovalTiming set = readRemovalTiming();
  EXPECT_EQ(set.waitMinutes, 10u);
  EXPECT_EQ(set.updatePeriodMinutes, 1440u);

  machine.writeSettings("\"DeferredFilesRemovalUpdatePeriod\"=dword:00000000\n");
  EXPECT_TRUE(holds(failureOf([] { readRemovalTiming(); }), L"DeferredFilesRemovalUpdatePeriod must be from 1"));
  machine.writeSettings("\"DeferredFilesRemovalWait\"=\"soon\"\n");
  EXPECT_TRUE(holds(failureOf([] { readRemovalTiming(); }), L"DeferredFilesRemovalWait"));
}

TEST(RemovalTaskTest, TriggersBeginTheWaitAfterNow) {
  const std::vector<TaskTrigger> triggers = removalTriggers({7, 5}, kNow);
  ASSERT_EQ(triggers.size(), 2u);
  const LocalTime first = toLocalTime(kNow + 7 * 60);
  const TaskTrigger& daily = triggers[0];
  EXPECT_EQ(daily.type, TaskTrigger::Type::Daily);
  EXPECT_EQ(std::vector<int>({daily.beginYear, daily.beginMonth, daily.beginDay, daily.startHour, daily.startMinute}),
            std::vector<int>({first.year, first.month, first.day, first.hour, first.minute}));
  EXPECT_EQ(daily.daysInterval, 1u);
  EXPECT_EQ(daily.minutesInterval, 5u);
  EXPECT_EQ(daily.minutesDuration, 1440u);
  const TaskTrigger& boot = triggers[1];
  EXPECT_EQ(boot.type, TaskTrigger::Type::AtSystemStart);
  EXPECT_EQ(std::vector<int>({boot.beginYear, boot.beginMonth, boot.beginDay}),
            std::vector<int>({first.year, first.month, first.day}));

  EXPECT_EQ(removalTriggers({2, 1440}, kNow)[0].minutesDuration, 1441u);
}

TEST(RemovalTaskTest, SchedulingMakesTheWorkItemOnceAndClearingKeepsIt) {
  RemovalMachine machine;
  FixedClock clock(kNow);
  clearRemovalTaskTriggers();
  EXPECT_FALSE(testing_support::pathExists(machine.cronFile())) << "clearing a missing work item makes none";

  int asked = 0;
  scheduleRemovalTask({2, 20}, [&] {
    ++asked;
    return w(machine.productRoot());
  });
  std::optional<WorkItem> item = loadWorkItem(kRemovalTaskName);
  ASSERT_TRUE(item);
  EXPECT_EQ(item->application, w(machine.productRoot() + "/admin/bin/cleanrun"));
  EXPECT_EQ(item->parameters, L"--remove-files");
  EXPECT_EQ(item->account, L"");
  EXPECT_EQ(item->triggers, removalTriggers({2, 20}, kNow));
  const std::string text = readFile(machine.cronFile());
  EXPECT_NE(text.find("@reboot root " + machine.productRoot() + "/admin/bin/cleanrun --remove-files\n"),
            std::string::npos)
      << text;

  // A work item with triggers is left as it is, and nobody is asked for the root.
  FixedClock later(kNow + 86400 * 3);
  scheduleRemovalTask({9, 45}, [&] {
    ++asked;
    return std::wstring(L"/elsewhere");
  });
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(readFile(machine.cronFile()), text);

  clearRemovalTaskTriggers();
  EXPECT_TRUE(triggerLines(machine.cronFile()).empty());
  std::optional<WorkItem> cleared = loadWorkItem(kRemovalTaskName);
  ASSERT_TRUE(cleared);
  EXPECT_TRUE(cleared->triggers.empty());
  EXPECT_EQ(cleared->application, item->application);

  // The item exists: scheduling only adds the triggers.
  scheduleRemovalTask({3, 20}, [&] {
    ++asked;
    return std::wstring(L"/elsewhere");
  });
  std::optional<WorkItem> again = loadWorkItem(kRemovalTaskName);
  ASSERT_TRUE(again);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(again->application, item->application);
  EXPECT_EQ(again->triggers, removalTriggers({3, 20}, kNow + 86400 * 3));
}

TEST(RemovalTaskTest, AnUnreadableWorkItemFailsWithTheSchedulerOperationAndStaysAsItWas) {
  RemovalMachine machine;
  testing_support::makeDirectories(machine.path("etc/cron.d"));
  testing_support::writeFile(machine.cronFile(), "# Trigger: daily\n");
  FixedClock clock(kNow);
  const std::wstring failure = failureOf([&] {
    scheduleRemovalTask({2, 20}, [&] { return w(machine.productRoot()); });
  });
  EXPECT_TRUE(holds(failure, L"Unable to read the work item 'Deferred removal of files by Halvo'"));
  EXPECT_TRUE(holds(failure, L"at SchedulerTask::getTask(SchedulerTask::getTask"));
  EXPECT_EQ(readFile(machine.cronFile()), "# Trigger: daily\n");
}

}  // namespace
