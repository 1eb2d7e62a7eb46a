#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>

#include "base/log/log_manager.h"
#include "base/registry/registry.h"
#include "log_test_support.h"
#include "support/failures.h"

using log_test::LogSandbox;
using log_test::RecordingSink;
using log_test::StdoutCapture;

namespace {

class ThrowingSink : public LogSink {
 public:
  void write(LogLevel, const std::wstring&) override { throw std::runtime_error("sink broke"); }
  void write(LogLevel, const vexception&) override { throw vexception(L"sink broke"); }
};

// Each test gets a sandbox, the default switches for its Debug setting and a
// console that has not printed yet; the process's table is put back after.
class Dispatch : public ::testing::Test {
 protected:
  void start(bool debug) {
    box.reset();  // its environment goes before the next one is set
    box = std::make_unique<LogSandbox>(debug);
    log_test::refreshDebugSwitch();
    manager().closeEventLog();
    manager().applyDefaultSwitches();
    manager().switches().setConsoleHasOutput(false);
  }
  void SetUp() override {
    manager();
    std::memcpy(saved, m_ExecuteContext_4D93FADE_7B9E_4286_AE07_54AF471F7E22->sinkTable, sizeof saved);
  }
  void TearDown() override {
    manager().closeEventLog();
    std::memcpy(m_ExecuteContext_4D93FADE_7B9E_4286_AE07_54AF471F7E22->sinkTable, saved, sizeof saved);
  }
  static LogManager& manager() { return LogManager::instance(); }

  std::string events() const {
    return testing_support::pathExists(box->eventsFile()) ? testing_support::readFile(box->eventsFile()) : "";
  }
  std::wstring debugLog() const {
    std::wstring all;
    if (!std::filesystem::exists(box->logsDir())) return all;
    for (const auto& entry : std::filesystem::directory_iterator(box->logsDir())) {
      all += log_test::fromUtf16le(testing_support::readFile(entry.path()).substr(2));
    }
    return all;
  }

  std::unique_ptr<LogSandbox> box;
  unsigned char saved[kSinkTableSize];
};

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST_F(Dispatch, TheConsoleSeparatesMessagesByOneBreakAndPrintsUtf8Unchanged) {
  start(false);
  StdoutCapture capture;
  logMessage(LOG_ERROR, L"first %s", L"failure");
  logMessage(LOG_INFO, L"not on the console");
  logResult(L"result %d", 42);
  logException(LOG_CRASH, vexception(L"Kein Zugriff auf \u00c4rger \u65e5\u672c", VCALLPOINT(L"ctx", "f::g")));
  std::string out = capture.finish();
  EXPECT_EQ(
      out.rfind(
          "first failure\nresult 42\nKein Zugriff auf \xC3\x84rger \xE6\x97\xA5\xE6\x9C\xAC\n   at ctx(f::g line ", 0),
      0u)
      << out;
  EXPECT_NE(out.back(), '\n');
  EXPECT_TRUE(manager().switches().consoleHasOutput());
  // An event line carries the program's path and keeps one event on one line.
  auto lines = log_test::lines(events());
  ASSERT_EQ(lines.size(), 2u) << events();
  EXPECT_TRUE(contains(lines[1], " Error test_log: ")) << lines[1];
  EXPECT_TRUE(
      contains(lines[1], "/test_log: Kein Zugriff auf \xC3\x84rger \xE6\x97\xA5\xE6\x9C\xAC\\n   at ctx(f::g line "))
      << lines[1];

  manager().switches().setConsoleHasOutput(true);  // shared: some module of the process printed already
  StdoutCapture again;
  logResult(L"only");
  EXPECT_EQ(again.finish(), "\nonly");
}

TEST_F(Dispatch, WithoutDebugInfoAndWarningGoNowhereWithDebugEveryLevelReachesTheEventAndDebugLogs) {
  for (bool debug : {false, true}) {
    SCOPED_TRACE(debug ? "with Debug" : "without Debug");
    start(debug);
    StdoutCapture capture;
    for (int level = 0; level <= 5; ++level) logMessage(level, L"message of level %d", level);
    EXPECT_EQ(capture.finish(), "message of level 2\nmessage of level 3\nmessage of level 4\nmessage of level 5");

    auto lines = log_test::lines(events());
    const int first = debug ? 0 : 3;
    ASSERT_EQ(lines.size(), size_t(6 - first)) << events();
    const char* types[6] = {" Information ", " Warning ", " Success ", " Error ", " Error ", " Error "};
    for (int level = first; level <= 5; ++level) {
      EXPECT_TRUE(contains(lines[level - first], types[level])) << lines[level - first];
      EXPECT_TRUE(contains(lines[level - first], ": message of level " + std::to_string(level)))
          << lines[level - first];
    }
    EXPECT_EQ(std::filesystem::exists(box->logsDir()), debug) << "a debug log only with Debug";
  }
  std::wstring log = debugLog();
  for (const wchar_t* record :
       {L" Info: message of level 0\r\n", L" Warning: message of level 1\r\n", L" Result: message of level 2\r\n",
        L" Error: message of level 3\r\n", L" Unexpected: message of level 4\r\n", L" Crash: message of level 5\r\n"}) {
    EXPECT_TRUE(testing_support::holds(log, record));
  }
}

TEST_F(Dispatch, ALoggedResultNeverReachesTheEventLogAnUnknownLevelOnlyTheDebugLog) {
  start(true);
  StdoutCapture capture;
  logMessage(9, L"odd one");
  logResult(L"the status is %s", L"running");
  logMessage(LOG_RESULT, L"plain result");
  EXPECT_EQ(capture.finish(), "the status is running\nplain result");
  std::string log = events();
  EXPECT_FALSE(contains(log, "the status is running")) << log;
  EXPECT_TRUE(contains(log, "plain result")) << log;
  EXPECT_TRUE(manager().switches().eventLog(LOG_RESULT)) << "the switch is put back after the call";
  EXPECT_FALSE(contains(log, "odd one")) << log;
  EXPECT_TRUE(testing_support::holds(debugLog(), L" Result: the status is running\r\n"));
  EXPECT_TRUE(testing_support::holds(debugLog(), L" Unknown level: odd one\r\n"));
}

TEST_F(Dispatch, AFailedReportDropsTheEventSourceSoTheNextMessageRegistersAgain) {
  start(false);
  const std::wstring sourceKey = L"System\\CurrentControlSet\\Services\\EventLog\\Halvo\\test_log";
  StdoutCapture capture;
  logMessage(LOG_ERROR, L"registers");
  ASSERT_TRUE(registry::keyExists(registry::Root::LocalMachine, sourceKey, 0));

  // While the source stays registered, nothing registers again.
  ASSERT_EQ(registry::deleteKey(registry::Root::LocalMachine, sourceKey), 0u);
  logMessage(LOG_ERROR, L"reported with the kept source");
  EXPECT_FALSE(registry::keyExists(registry::Root::LocalMachine, sourceKey, 0));

  // A report that fails loses its message and the source.
  std::filesystem::remove(box->eventsFile());
  std::filesystem::create_directory(box->eventsFile());
  logMessage(LOG_ERROR, L"lost");
  std::filesystem::remove(box->eventsFile());
  logMessage(LOG_ERROR, L"after the failure");
  capture.finish();
  EXPECT_TRUE(registry::keyExists(registry::Root::LocalMachine, sourceKey, 0));
  std::string log = events();
  EXPECT_FALSE(contains(log, "lost"));
  EXPECT_TRUE(contains(log, "after the failure"));
}

TEST_F(Dispatch, AFailingSinkDoesNotStopTheOthersNorReachTheCaller) {
  start(false);
  // The event log cannot be written and the debug log has no product root.
  box->sandbox().writeRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config]\n\"Debug\"=dword:00000000\n");
  std::filesystem::create_directories(box->eventsFile());
  auto throwing = std::make_shared<ThrowingSink>();
  auto recording = std::make_shared<RecordingSink>();
  manager().addSink(throwing);
  manager().addSink(recording);
  StdoutCapture capture;
  EXPECT_NO_THROW(logMessage(LOG_ERROR, L"still printed"));
  EXPECT_NO_THROW(logException(LOG_CRASH, vexception(L"crash", VCALLPOINT(L"c", "f"))));
  std::string out = capture.finish();
  manager().removeSink(throwing.get());
  manager().removeSink(recording.get());

  EXPECT_TRUE(contains(out, "still printed"));
  ASSERT_EQ(recording->entries.size(), 2u);
  EXPECT_EQ(recording->entries[0].text, L"still printed");
  EXPECT_FALSE(recording->entries[0].fromException);
  EXPECT_EQ(recording->entries[1].level, LOG_CRASH);
  EXPECT_TRUE(recording->entries[1].fromException);
  EXPECT_EQ(recording->entries[1].callPoints, 1u);

  logMessage(LOG_INFO, L"after removal");
  EXPECT_EQ(recording->entries.size(), 2u);
}

TEST_F(Dispatch, ABrokenDebugSettingDropsOnlyTheDebugLog) {
  start(true);
  box->configure(true, "\"log_debug_history\"=\"three\"");
  StdoutCapture capture;
  logMessage(LOG_ERROR, L"error with a broken log setting");
  EXPECT_EQ(capture.finish(), "error with a broken log setting");
  EXPECT_TRUE(contains(events(), "error with a broken log setting"));
  EXPECT_EQ(debugLog(), L"");
}
