#include "base/log/halvo_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <thread>

#include "base/log/log_manager.h"
#include "base/system/path_separator.h"
#include "base/system/process.h"
#include "base/text/convert.h"
#include "log_test_support.h"
#include "support/failures.h"
#include "support/service_fakes.h"

namespace wc {

using halvo::logging::getRotationDate;
using halvo::logging::HalvoLog;
using log_test::FakeClock;
using log_test::localSeconds;
using log_test::LogSandbox;

namespace {

class DebugLog : public ::testing::Test {
 protected:
  DebugLog() : clock(localSeconds(2026, 12, 4, 10, 11, 12)) {
    // Messages logged on the way (warnings) must not add a debug log of their own.
    log_test::refreshDebugSwitch();
  }

  void configure(const std::string& values) { box.configure(false, values); }
  static std::string name(const std::string& date) { return "halvolog_debug" + date + ".log"; }
  std::string file(const std::string& date) const { return box.logsDir() + "/" + name(date); }
  std::vector<std::string> files() const { return testing_support::namesIn(box.logsDir()); }
  void touch(const std::string& name, const std::string& content = "x") const {
    std::filesystem::create_directories(box.logsDir());
    testing_support::writeFile(box.logsDir() + "/" + name, content);
  }
  void writeOnce(const std::wstring& text) const {
    HalvoLog log(context, L"debug", true);
    log.write(text);
  }
  std::wstring records(const std::string& date) const {
    std::string bytes = testing_support::readFile(file(date));
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    return log_test::fromUtf16le(bytes.substr(2));
  }
  std::wstring record(const std::wstring& time, const std::wstring& text) const {
    return time + L" " + std::to_wstring(currentProcessId()) + L" " + std::to_wstring(currentThreadId()) + L" " + text +
           L"\r\n";
  }

  LogSandbox box{false};
  FakeClock clock;
  const Context context = testing_support::testContext(clock);
};

}  // namespace

TEST_F(DebugLog, OnlyAFileWithoutContentGetsTheByteOrderMark) {
  clock.setMilliseconds(7);
  writeOnce(L"hello");  // creates the directories too
  clock.setMilliseconds(345);
  writeOnce(L"second line\n   at ctx(f line 3)");
  std::string bytes = testing_support::readFile(file("20261204"));
  ASSERT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(log_test::fromUtf16le(bytes.substr(2)),
            record(L"2026/12/04 10:11:12:007", L"hello") +
                record(L"2026/12/04 10:11:12:345", L"second line\n   at ctx(f line 3)"));
  EXPECT_EQ(bytes.find("\xFF\xFE", 2), std::string::npos) << "one mark only";

  clock.setMilliseconds(0);
  touch("halvolog_debug20261204.log", "");
  writeOnce(L"into the empty file");
  EXPECT_EQ(records("20261204"), record(L"2026/12/04 10:11:12:000", L"into the empty file"));
}

TEST_F(DebugLog, TheLogDirectoryIsUnderTheProductRootAndWithoutOneIsAClearError) {
  HalvoLog log(context, L"debug", true);
  EXPECT_EQ(toPlatformSeparators(log.directory()), toPlatformSeparators(wstrLenient(box.logsDir())));
  EXPECT_EQ(toPlatformSeparators(log.pathFor(L"20261204")), toPlatformSeparators(wstrLenient(file("20261204"))));
  const std::wstring program = HalvoLog(context, L"", true).name();  // the program's file name
  EXPECT_TRUE(program == L"test_log" || program == L"test_log.exe") << wideToUtf8Lenient(program);

  box.sandbox().writeRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config]\n");
  EXPECT_TRUE(testing_support::holds(testing_support::failureTextOf([&] { HalvoLog(context, L"debug", true); }),
                                     L"PRODUCT_ROOT_D"));
  box.sandbox().writeRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config]\n\"PRODUCT_ROOT_D\"=\"\"\n");
  EXPECT_THROW(HalvoLog(context, L"debug", true), vexception);
  EXPECT_TRUE(files().empty());
}

TEST_F(DebugLog, ANewDayBeginsANewFileWithTheDefaultRotationEvenForAnOpenLog) {
  touch("halvolog_debug20261120.log");  // after a gap the new file carries the date it is begun
  HalvoLog open(context, L"debug", true);
  open.write(L"day one");
  clock.advanceDays(1);
  writeOnce(L"day two");
  open.write(L"day two again");
  EXPECT_EQ(files(), (std::vector<std::string>{"halvolog_debug20261120.log", "halvolog_debug20261204.log",
                                               "halvolog_debug20261205.log"}));
  EXPECT_EQ(records("20261204"), record(L"2026/12/04 10:11:12:000", L"day one"));
  EXPECT_EQ(records("20261205"),
            record(L"2026/12/05 10:11:12:000", L"day two") + record(L"2026/12/05 10:11:12:000", L"day two again"));
}

TEST_F(DebugLog, FilesOfOtherNamesAreNeverDeleted) {
  configure("\"log_debug_history\"=dword:00000000");
  const std::vector<std::string> foreign = {"debug20200101.log", "halvolog_other20200101.log",
                                            "halvolog_debug20200101.txt", "xhalvolog_debug20200101.log",
                                            "halvolog_debu20200101.log"};
  for (const auto& name : foreign) touch(name);
  touch("halvolog_debug20200101.log");
  touch("halvolog_debug20261101.log");
  writeOnce(L"cleans up");
  std::vector<std::string> expected = foreign;
  expected.push_back("halvolog_debug20261204.log");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(files(), expected);
}

TEST_F(DebugLog, AFileThatCannotBeDeletedIsAWarningAndTheWalkGoesOn) {
  configure("\"log_debug_history\"=dword:00000001");
  touch("halvolog_debug20261203.log");
  HalvoLog log(context, L"debug", true);
  log.write(L"reads the settings");
  touch("halvolog_debug20261202.log");
  fake::CapturedLog sink;
  std::wstring missing = log.pathFor(L"20261130");
  log.removeOld({missing, log.pathFor(L"20261202"), log.pathFor(L"20261203"), log.pathFor(L"20261204")});

  EXPECT_EQ(files(), (std::vector<std::string>{"halvolog_debug20261203.log", "halvolog_debug20261204.log"}));
  ASSERT_EQ(sink->lines.size(), 1u);
  EXPECT_EQ(sink->lines[0].level, LOG_WARNING);
  const std::wstring& text = sink->lines[0].text;
  EXPECT_TRUE(testing_support::holds(text, missing));
  EXPECT_TRUE(
      testing_support::holds(text, L"\n   at Failed to remove log file(halvo::logging::HalvoLog::removeOld line "));
}

TEST_F(DebugLog, SettingsFromTheStoreAreReadAtMostOnceAMinute) {
  HalvoLog log(context, L"debug", true);
  log.write(L"one");
  EXPECT_EQ(log.rotation(), 1u);
  EXPECT_EQ(log.history(), 3u);
  configure("\"log_debug_enabled\"=dword:00000000");
  clock.advanceMs(60000);
  log.write(L"two, settings not read yet");
  clock.advanceMs(1);
  log.write(L"three, switched off");
  EXPECT_FALSE(log.enabled());
  configure(
      "\"log_debug_enabled\"=dword:00000001\n\"log_debug_history\"=dword:00000005\n"
      "\"log_debug_rotation\"=dword:00000007");
  clock.advanceMs(60001);
  log.write(L"four");
  EXPECT_EQ(log.history(), 5u);
  EXPECT_EQ(log.rotation(), 7u);
  std::wstring all = records("20261204");
  for (const wchar_t* written : {L" one\r\n", L" two, settings not read yet\r\n", L" four\r\n"}) {
    EXPECT_TRUE(testing_support::holds(all, written));
  }
  EXPECT_FALSE(testing_support::holds(all, L"three"));
}

TEST_F(DebugLog, ADisabledLogWritesNothingAndAnUnparsableNewestFileDropsTheWrite) {
  configure("\"log_debug_enabled\"=dword:00000000");
  writeOnce(L"nothing");
  EXPECT_TRUE(files().empty());
  HalvoLog defaultOff(context, L"other", false);
  configure("");
  defaultOff.write(L"off by default");
  EXPECT_TRUE(files().empty());
  touch("halvolog_debugX.log");
  EXPECT_THROW(writeOnce(L"lost"), vexception);
  EXPECT_EQ(files(), std::vector<std::string>{"halvolog_debugX.log"});
}

TEST_F(DebugLog, ConcurrentWritersNeverInterleaveRecords) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([this, t] {
      for (int i = 0; i < 40; ++i) writeOnce(L"writer " + std::to_wstring(t) + L" record " + std::to_wstring(i));
    });
  }
  for (auto& thread : threads) thread.join();
  // Every record whole, on a line of its own.
  const std::wregex record(L"(2026/12/04 10:11:12:000 \\d+ \\d+ writer \\d record \\d+\r\n){160}");
  EXPECT_TRUE(std::regex_match(records("20261204"), record));
}

TEST(RotationDate, IsTheDateInTheNamePlusTheRotationDaysButNeverBeforeToday) {
  const struct {
    int64_t today;
    const wchar_t* path;
    unsigned days;
    const wchar_t* expected;
  } cases[] = {
      {localSeconds(2026, 12, 4, 10), L"/logs/halvolog_debug20261204.log", 1, L"20261205"},
      {localSeconds(2026, 12, 4, 10), L"C:\\logs\\halvolog_debug20261231.log", 1, L"20270101"},
      // An expired file answers today; the leap day counts.
      {localSeconds(2028, 3, 1, 10), L"halvolog_debug20280227.log", 3, L"20280301"},
      {localSeconds(2028, 3, 1, 10), L"halvolog_debug20280227.log", 4, L"20280302"},
      // Rotation zero expires today's file at once; a file dated in the future
      // stays current until its day.
      {localSeconds(2026, 12, 4, 0, 0, 1), L"halvolog_debug20261204.log", 0, L"20261204"},
      {localSeconds(2026, 12, 4, 0, 0, 1), L"halvolog_debug20261210.log", 0, L"20261210"},
  };
  for (const auto& c : cases) {
    FakeClock clock(c.today);
    const Context context = testing_support::testContext(clock);
    EXPECT_EQ(getRotationDate(context, c.path, L"debug", c.days), c.expected)
        << wideToUtf8Lenient(c.path) << " " << c.days;
  }
}

TEST(RotationDate, NamesWithoutADateFailToParse) {
  FakeClock clock(localSeconds(2026, 12, 4));
  const Context context = testing_support::testContext(clock);
  for (const wchar_t* path : {L"/logs/halvolog_deb", L"halvolog_debug2026120.log", L"halvolog_debug2026-12-04.log",
                              L"halvolog_debug20261304.log", L"halvolog_debug20261200.log"}) {
    const vexception e = testing_support::failureOf([&] { getRotationDate(context, path, L"debug", 1); });
    EXPECT_EQ(e.message(), L"Failed to parse name");
    ASSERT_EQ(e.callPoints().size(), 1u);
    EXPECT_EQ(e.callPoints()[0].function, "halvo::logging::getRotationDate");
  }
}

}  // namespace wc
