// A fault inside a guarded operation of a process with dumps on: a dump of
// the fault in the dump directory, and the fault reported as the operation's
// failure, also when its dump cannot be written (logged, nothing left).

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <memory>
#include <string>

#include "base/crashdump/crash_dump_info.h"
#include "base/crashdump/process_dump.h"
#include "base/errors/fault_signals.h"
#include "base/errors/os_error.h"
#include "base/errors/se_translator.h"
#include "base/errors/strict_convert.h"
#include "base/errors/vguard.h"
#include "base/log/log.h"
#include "base/system/clock.h"
#include "base/text/convert.h"
#include "support/failures.h"
#include "support/process_core_file.h"
#include "support/sandbox.h"
#include "support/service_fakes.h"

namespace wc {

namespace {

namespace fs = std::filesystem;
using testing_support::holds;

CrashDumpInfo* dumpInfo = nullptr;
void dumpHook(void* exceptionPointers) { writeDumpIfEnabled(exceptionPointers, *dumpInfo); }

[[gnu::noinline]] int readThroughNull() {
  volatile int* pointer = nullptr;
  return *pointer;
}

class FaultDump : public ::testing::Test {
 protected:
  void SetUp() override {
    sandbox_.writeRegistry(testing_support::kConfigSection + "\"PRODUCT_ROOT_D\"=\"" + sandbox_.path("opt") + "\"\n");
    info_ = std::make_unique<CrashDumpInfo>(testing_support::testContext(clock_));
    dumpInfo = info_.get();
    setCrashDumpHook(&dumpHook);
    installFaultTranslation();
  }
  void TearDown() override { setCrashDumpHook(nullptr); }

  static std::wstring guardedNullRead() {
    return testing_support::failureOf([] { vguard("FaultDump::run", 5, L"run()", readThroughNull); }).message();
  }

  testing_support::Sandbox sandbox_;
  fake::FixedClock clock_{fromLocalTime(LocalTime{2026, 12, 4, 10, 21, 50, 0})};
  std::unique_ptr<CrashDumpInfo> info_;
  const std::string directory_ = sandbox_.path("opt/etc/crashdumps");
};

TEST_F(FaultDump, AFaultInsideAGuardLeavesOneDumpOfItAndIsReported) {
  EXPECT_EQ(guardedNullRead(), L"C structured exception: 0xc0000005");
  EXPECT_EQ(std::distance(fs::directory_iterator(directory_), fs::directory_iterator()), 1);
  EXPECT_EQ(crashdump_testing::nullReadDumpProblem(directory_ + "/test_crashdump20261204_102150.dmp",
                                                   reinterpret_cast<const void*>(&readThroughNull)),
            "");
}

TEST_F(FaultDump, AFaultIsReportedAlsoWhenItsDumpCannotBeWrittenWhichIsLoggedAtError) {
  fake::CapturedLog log;
  fs::remove_all(directory_);
  EXPECT_EQ(guardedNullRead(), L"C structured exception: 0xc0000005");
  EXPECT_FALSE(testing_support::pathExists(directory_));
  ASSERT_EQ(log->count(LOG_ERROR), 1u) << cstrLenient(log->all());
  EXPECT_TRUE(holds(log->all(), osErrorText(ERROR_PATH_NOT_FOUND, L"Unable to generate dump file") +
                                    L"\n   at (internalDumpMiniDump line "));
  EXPECT_TRUE(holds(log->all(), L"\n   at Unable to generate dump file(internalDumpMiniDump line "));
  // Other names the writer cannot create.
  EXPECT_EQ(writeProcessDump(L"", nullptr, kCrashDumpType), ERROR_INVALID_NAME);
  EXPECT_EQ(writeProcessDump(wstr(sandbox_.path("opt")), nullptr, kCrashDumpType), ERROR_ACCESS_DENIED);
}

}  // namespace

}  // namespace wc
