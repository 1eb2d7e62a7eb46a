// Work items as cron files, the POSIX stand-in of the Task Scheduler: the
// schedule lines cron runs, and the comment lines that hold the work item
// exactly.

#include <gtest/gtest.h>

#include "base/removal/cron_file.h"
#include "base/removal/removal_task.h"
#include "removal_test_support.h"

namespace wc {

namespace {

using removal_test::context;
using removal_test::failureOf;
using removal_test::holds;

TaskTrigger daily(int hour, int minute, uint32_t every, uint32_t duration, uint32_t days = 1) {
  return TaskTrigger{TaskTrigger::Type::Daily, 2024, 1, 2, hour, minute, days, every, duration};
}

TaskTrigger atSystemStart() {
  return {.type = TaskTrigger::Type::AtSystemStart, .beginYear = 2024, .beginMonth = 12, .beginDay = 31};
}

TEST(CronFileTest, SchedulesFireAtEveryStartOfTheTrigger) {
  // Periods that divide an hour repeat in every hour of the day.
  EXPECT_EQ(cronSchedule(daily(3, 8, 20, 1440)), L"8,28,48 * * * *");
  EXPECT_EQ(cronSchedule(daily(0, 0, 1, 1440)), L"* * * * *");
  // Whole hours: the minute stays, the hours step.
  EXPECT_EQ(cronSchedule(daily(1, 0, 180, 1440)), L"0 1,4,7,10,13,16,19,22 * * *");
  // A period of a day, for a day and a minute: once a day.
  EXPECT_EQ(cronSchedule(daily(3, 8, 1440, 1441)), L"8 3 * * *");
  // Longer than a day: the start and the one repetition after it.
  EXPECT_EQ(cronSchedule(daily(0, 0, 2000, 2001)), L"0,20 0,9 * * *");
  // Ninety minutes do not repeat hour by hour: every minute that is a start,
  // in every hour that holds one (03:06, 04:36, 06:06, ... 01:36).
  EXPECT_EQ(cronSchedule(daily(3, 6, 90, 1440)), L"6,36 0,1,3,4,6,7,9,10,12,13,15,16,18,19,21,22 * * *");
  // A repetition shorter than the day stops within it.
  EXPECT_EQ(cronSchedule(daily(22, 30, 30, 91)), L"0,30 0,22,23 * * *");
  EXPECT_EQ(cronSchedule(daily(6, 5, 0, 0)), L"5 6 * * *");
  EXPECT_EQ(cronSchedule(daily(6, 5, 0, 0, 2)), L"5 6 */2 * *");
  EXPECT_EQ(cronSchedule(atSystemStart()), L"@reboot");
}

TEST(CronFileTest, WritesTheWorkItemAndReadsItBackExactly) {
  WorkItem item{L"/opt/my halvo/admin/bin/cleanrun", L"--remove-files", L"", {daily(3, 8, 20, 1440), atSystemStart()}};
  const std::string text = cronFileText(L"Deferred removal of files by Halvo", item);
  EXPECT_EQ(text,
            "# Work item: Deferred removal of files by Halvo\n"
            "# Application: /opt/my halvo/admin/bin/cleanrun\n"
            "# Parameters: --remove-files\n"
            "# Account: (system)\n"
            "# Trigger: daily begin=2024-01-02 start=03:08 days=1 every=20 for=1440\n"
            "8,28,48 * * * * root '/opt/my halvo/admin/bin/cleanrun' --remove-files\n"
            "# Trigger: at-system-start begin=2024-12-31\n"
            "@reboot root '/opt/my halvo/admin/bin/cleanrun' --remove-files\n");
  EXPECT_EQ(parseCronFile(text), item);

  // Without triggers it is the header alone: no line that cron would run.
  item.triggers.clear();
  const std::string header = cronFileText(L"Task", item);
  for (size_t at = 0; at < header.size(); at = header.find('\n', at) + 1) EXPECT_EQ(header[at], '#') << header;
  EXPECT_EQ(parseCronFile(header), item);

  // Commands survive the shell and cron.
  item = {L"/opt/it's 100%/cleanrun", L"--remove-files", L"halvo", {atSystemStart()}};
  const std::string quoted = cronFileText(L"Task", item);
  EXPECT_NE(quoted.find("@reboot halvo '/opt/it'\\''s 100\\%/cleanrun' --remove-files\n"), std::string::npos) << quoted;
  EXPECT_EQ(parseCronFile(quoted), item);

  // Hand-edited whitespace is read; other lines are ignored.
  EXPECT_EQ(parseCronFile("# Application:   /bin/x  \n# a note\nMAILTO=\"\"\n#   Trigger: daily is not a trigger\n"
                          "# Trigger:  at-system-start   begin=2024-12-31 \n@reboot root /bin/x\n"),
            (WorkItem{L"/bin/x", L"", L"", {atSystemStart()}}));
}

TEST(CronFileTest, RefusesToWriteWhatCouldNotBeReadBack) {
  auto write = [](const WorkItem& item) { return failureOf([&] { cronFileText(L"Task", item); }); };
  EXPECT_TRUE(holds(write({L"/bin/x\nrm -rf /", L"", L"", {}}), L"line break"));
  EXPECT_TRUE(holds(write({L"", L"", L"", {}}), L"application is empty"));
  EXPECT_TRUE(holds(write({L"/bin/x", L"", L"two words", {}}), L"account name"));
  EXPECT_TRUE(holds(write({L"/bin/x", L"", L"", {daily(24, 0, 0, 0)}}), L"not a time of day"));
  std::wstring message = write({L"/bin/x", L"", L"", {daily(1, 0, 30, 30)}});
  EXPECT_TRUE(holds(message, L"not possible"));
  EXPECT_EQ(message.rfind(L"Unable to write the work item 'Task': ", 0), 0u) << message;
}

TEST(CronFileTest, RejectsFilesItCannotReadExactly) {
  const std::string header = "# Application: /bin/x\n# Parameters: --remove-files\n# Trigger: ";
  struct Case {
    std::string text;
    std::wstring reason;
  } cases[] = {
      {"# Parameters: --remove-files\n", L"names no application (line 1)"},
      {header + "weekly begin=2024-01-02\n", L"unknown trigger type 'weekly' (line 3)"},
      {header + "daily begin=2024-01-02 start=03:08 days=1 every=20\n", L"'for' is missing (line 3)"},
      {header + "daily begin=2024-13-02 start=03:08 days=1 every=20 for=1440\n", L"not a date"},
      {header + "daily begin=2024-01-02 start=03:08 days=1 every=20 for=1440 at=1\n", L"unexpected field"},
      {header + "daily begin=2024-01-02 start=03:08 days=0 every=20 for=1440\n", L"days interval is 0"},
      {"# Application: /bin/\xff\n", L"not UTF-8"},
  };
  for (const Case& c : cases) EXPECT_TRUE(holds(failureOf([&] { parseCronFile(c.text); }), c.reason)) << c.text;
}

TEST(CronFileTest, AnUnreadableWorkItemFailsTheSchedulingAndStaysAsItWas) {
  removal_test::RemovalMachine machine;
  const std::string cron = machine.path("etc/cron.d/Deferred-removal-of-files-by-Halvo");
  testing_support::makeDirectories(machine.path("etc/cron.d"));
  testing_support::writeFile(cron, "# Trigger: daily\n");
  const std::wstring failure = failureOf([] {
    scheduleRemovalTask(context, {2, 20}, [] { return std::wstring(L"/x"); });
  });
  EXPECT_TRUE(holds(failure, L"Unable to read the work item 'Deferred removal of files by Halvo'"));
  EXPECT_TRUE(holds(failure, L"at SchedulerTask::getTask(SchedulerTask::getTask"));
  EXPECT_EQ(testing_support::readFile(cron), "# Trigger: daily\n");
}

}  // namespace

}  // namespace wc
