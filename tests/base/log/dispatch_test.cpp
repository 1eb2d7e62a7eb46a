#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "base/log/log_manager.h"
#include "base/system/process.h"
#include "log_test_support.h"
#include "support/failures.h"
#include "support/service_fakes.h"
#include "support/under_wine.h"

namespace wc {

using log_test::StdoutCapture;
using testing_support::holds;

namespace {

class ThrowingSink : public LogSink {
 public:
  void write(LogLevel, const std::wstring&) override { throw std::runtime_error("sink broke"); }
  void write(LogLevel, const vexception&) override { throw vexception(L"sink broke"); }
};

// Marks what it is given as an exception.
class KindSink : public fake::LogCapture {
  void write(LogLevel level, const vexception& e) override { LogCapture::write(level, L"exception: " + e.fullText()); }
};

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

using Dispatch = log_test::DispatchTest;

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

  manager().switches().setConsoleHasOutput(true);  // shared: some module of the process printed already
  StdoutCapture again;
  logResult(L"only");
  EXPECT_EQ(again.finish(), "\nonly");
}

TEST_F(Dispatch, WithoutDebugInfoAndWarningGoNowhereWithDebugEveryLevelReachesTheDebugLog) {
  for (bool debug : {false, true}) {
    SCOPED_TRACE(debug ? "with Debug" : "without Debug");
    start(debug);
    StdoutCapture capture;
    for (int level = 0; level <= 5; ++level) logMessage(level, L"message of level %d", level);
    logMessage(9, L"odd one");
    EXPECT_EQ(capture.finish(), "message of level 2\nmessage of level 3\nmessage of level 4\nmessage of level 5");
    EXPECT_EQ(std::filesystem::exists(box->logsDir()), debug) << "a debug log only with Debug";
  }
  for (const wchar_t* record :
       {L" Info: message of level 0\r\n", L" Warning: message of level 1\r\n", L" Result: message of level 2\r\n",
        L" Error: message of level 3\r\n", L" Unexpected: message of level 4\r\n", L" Crash: message of level 5\r\n",
        L" Unknown level: odd one\r\n"}) {
    EXPECT_TRUE(holds(debugLog(), record));
  }
}

TEST_F(Dispatch, TheEventLogGetsErrorsOrWithDebugEveryLevelButNeverALoggedResult) {
  WC_SKIP_UNDER_WINE("the event log is a stub: it keeps no events to read back");
  StdoutCapture capture;
  for (bool debug : {false, true}) {
    SCOPED_TRACE(debug ? "with Debug" : "without Debug");
    start(debug);
    for (int level = 0; level <= 5; ++level) logMessage(level, L"message of level %d", level);
    logResult(L"the status is %s", L"running");
    logMessage(9, L"odd one");
    auto lines = events();
    const int first = debug ? 0 : 3;
    ASSERT_EQ(lines.size(), size_t(6 - first));
    const char* types[6] = {" Information ", " Warning ", " Success ", " Error ", " Error ", " Error "};
    for (int level = first; level <= 5; ++level) {
      EXPECT_TRUE(contains(lines[level - first], types[level])) << lines[level - first];
      EXPECT_TRUE(contains(lines[level - first], ": message of level " + std::to_string(level)))
          << lines[level - first];
    }
    EXPECT_TRUE(manager().switches().eventLog(LOG_RESULT) == debug) << "the switch is put back after the call";
  }
  // An event carries the program's path and keeps one event on one line.
  logException(LOG_CRASH, vexception(L"Kein Zugriff \u65e5", VCALLPOINT(L"ctx", "f::g")));
  const std::string source = wideToUtf8Lenient(manager().sourceName());
  EXPECT_TRUE(contains(events().back(), " Error " + source + ": ")) << events().back();
  EXPECT_TRUE(contains(events().back(),
                       wideToUtf8Lenient(programPath()) + ": Kein Zugriff \xE6\x97\xA5\\n   at ctx(f::g line "))
      << events().back();
}

TEST_F(Dispatch, AFailingSinkDoesNotStopTheOthersNorReachTheCaller) {
  start(false);
  auto throwing = std::make_shared<ThrowingSink>();
  auto recording = std::make_shared<KindSink>();
  manager().addSink(throwing);
  manager().addSink(recording);
  StdoutCapture capture;
  EXPECT_NO_THROW(logMessage(LOG_ERROR, L"still printed"));
  EXPECT_NO_THROW(logException(LOG_CRASH, vexception(L"crash", VCALLPOINT(L"c", "f"))));
  std::string out = capture.finish();
  manager().removeSink(throwing.get());
  manager().removeSink(recording.get());

  EXPECT_TRUE(contains(out, "still printed"));
  ASSERT_EQ(recording->lines.size(), 2u);
  EXPECT_EQ(recording->lines[0].text, L"still printed");
  EXPECT_EQ(recording->lines[1].level, LOG_CRASH);
  EXPECT_EQ(recording->lines[1].text.rfind(L"exception: crash\n   at c(f line ", 0), 0u);

  logMessage(LOG_INFO, L"after removal");
  EXPECT_EQ(recording->lines.size(), 2u);
}

TEST_F(Dispatch, ABrokenDebugSettingDropsOnlyTheDebugLog) {
  start(true);
  box->configure(true, "\"log_debug_history\"=\"three\"");
  StdoutCapture capture;
  logMessage(LOG_ERROR, L"error with a broken log setting");
  EXPECT_EQ(capture.finish(), "error with a broken log setting");
  EXPECT_EQ(debugLog(), L"");
}

}  // namespace wc
