// The status record of the POSIX stand-in in its text form.

#include "base/services/status_record.h"

#include <gtest/gtest.h>

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
  const std::string good = formatStatusRecord(record);
  const size_t state = good.find("currentState=4");
  for (const std::string& bad :
       {std::string(), good.substr(0, good.find("hostPid")), std::string(good).replace(state, 14, "currentState=x"),
        std::string(good).replace(state, 14, "currentState=9"), good + "no equals sign\n", good + "checkPoint=-1\n"}) {
    EXPECT_FALSE(parseStatusRecord(bad).has_value()) << bad;
  }
}
