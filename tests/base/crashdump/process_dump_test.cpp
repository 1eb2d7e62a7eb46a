// What a dump that cannot be written leaves: an error code, no file, and a
// log entry at level Error instead of an exception.

#include "base/crashdump/process_dump.h"

#include <gtest/gtest.h>

#include "base/crashdump/crash_dump_info.h"
#include "base/errors/os_error.h"
#include "base/errors/strict_convert.h"
#include "base/log/log.h"
#include "base/text/convert.h"
#include "support/failures.h"
#include "support/sandbox.h"
#include "support/service_fakes.h"

namespace {

using testing_support::holds;

TEST(ProcessDump, AFileThatCannotBeCreatedIsAnErrorLoggedAtErrorAndLeavesNothing) {
  testing_support::Sandbox sandbox;
  EXPECT_EQ(writeProcessDump(L"", nullptr, kCrashDumpType), ERROR_INVALID_NAME);
  testing_support::makeDirectories(sandbox.path("taken.dmp"));
  EXPECT_EQ(writeProcessDump(wstr(sandbox.path("taken.dmp")), nullptr, kCrashDumpType), ERROR_ACCESS_DENIED);

  fake::CapturedLog log;
  EXPECT_FALSE(internalDumpMiniDump(wstr(sandbox.path("no/such/dir/x.dmp")), nullptr, kCrashDumpType));
  EXPECT_FALSE(testing_support::pathExists(sandbox.path("no")));
  ASSERT_EQ(log->count(LOG_ERROR), 1u) << cstrLenient(log->all());
  EXPECT_TRUE(holds(log->all(), osErrorText(ERROR_PATH_NOT_FOUND, L"Unable to generate dump file") +
                                    L"\n   at (internalDumpMiniDump line "));
  EXPECT_TRUE(holds(log->all(), L"\n   at Unable to generate dump file(internalDumpMiniDump line "));
}

}  // namespace
