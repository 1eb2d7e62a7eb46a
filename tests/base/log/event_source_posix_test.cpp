// The event source's POSIX stand-in: one line per event in the sandbox's
// event file.

#include <gtest/gtest.h>

#include "base/log/event_source.h"
#include "log_test_support.h"

namespace wc {

TEST(EventSourcePosix, ReportsAppendOneLinePerEventUnderTheSourceName) {
  testing_support::Sandbox sandbox;
  log_test::FakeClock clock(log_test::localSeconds(2027, 1, 2, 3, 4, 5));
  const Context context = testing_support::testContext(clock);
  sandbox.writeRegistry("[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\src]\n");
  uint32_t error = 0;
  EventSource source = registerEventSource(context, L"src", error);  // a name the Application log took
  ASSERT_EQ(source.report(EVENTLOG_SUCCESS, 0, 1, {L"/p", L"done"}), 0u);
  ASSERT_EQ(source.report(EVENTLOG_INFORMATION_TYPE, 0, 1, {L"/p", L"a\nb\r\nc"}), 0u);
  EXPECT_EQ(testing_support::readFile(sandbox.path("var/log/halvo/events.log")),
            "2027/01/02 03:04:05 Success Halvo:  src: /p: done\n"
            "2027/01/02 03:04:05 Information Halvo:  src: /p: a\\nb\\r\\nc\n");
}

}  // namespace wc
