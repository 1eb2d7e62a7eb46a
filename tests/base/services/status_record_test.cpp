// The status record: its text form, and how a record of a dead host reads.

#include "base/services/status_record.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/errors/win_error_codes.h"

TEST(StatusRecordTest, EveryFieldSurvivesTheTextFormAndNothingElseReads) {
  StatusRecord record;
  record.status = ServiceStatus{0x10, SERVICE_STOP_PENDING, 1, 1066, 3, 17, 4294967295u};
  record.hostPid = 4242;
  record.processId = 4243;
  std::optional<StatusRecord> back = parseStatusRecord(formatStatusRecord(record));
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->status, record.status);
  EXPECT_EQ(back->hostPid, 4242u);
  EXPECT_EQ(back->processId, 4243u);

  // Incomplete or garbled text is no record.
  record.status.currentState = SERVICE_RUNNING;
  std::string good = formatStatusRecord(record);
  EXPECT_TRUE(parseStatusRecord(good).has_value());
  EXPECT_FALSE(parseStatusRecord("").has_value());
  EXPECT_FALSE(parseStatusRecord(good.substr(0, good.find("hostPid"))).has_value());
  std::string garbled = good;
  garbled.replace(garbled.find("currentState=4"), 14, "currentState=x");
  EXPECT_FALSE(parseStatusRecord(garbled).has_value());
  std::string badState = good;
  badState.replace(badState.find("currentState=4"), 14, "currentState=9");
  EXPECT_FALSE(parseStatusRecord(badState).has_value());
  EXPECT_FALSE(parseStatusRecord(good + "no equals sign\n").has_value());
  EXPECT_FALSE(parseStatusRecord(good + "checkPoint=-1\n").has_value());
}

TEST(StatusRecordTest, DeadHostReadsAsStopped) {
  StatusRecord running;
  running.status = ServiceStatus{0x10, SERVICE_RUNNING, 1, 0, 0, 0, 0};
  running.hostPid = 99;
  StatusRecord seen = recordOfDeadHost(running);
  EXPECT_EQ(seen.status.currentState, SERVICE_STOPPED);
  EXPECT_EQ(seen.status.win32ExitCode, ERROR_PROCESS_ABORTED);
  EXPECT_EQ(seen.status.controlsAccepted, 0u);

  StatusRecord ended;
  ended.status = ServiceStatus{0x10, SERVICE_STOPPED, 0, ERROR_SERVICE_SPECIFIC_ERROR, 3, 0, 0};
  ended.hostPid = 99;
  EXPECT_EQ(recordOfDeadHost(ended).status, ended.status);

  StatusRecord never = recordOfDeadHost(std::nullopt);
  EXPECT_EQ(never.status.currentState, SERVICE_STOPPED);
  EXPECT_EQ(never.status.win32ExitCode, 0u);
}
