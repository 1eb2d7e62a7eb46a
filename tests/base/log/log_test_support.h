#pragma once
// Shared pieces of the logging tests: a clock the test moves by hand, stdout
// captured through its descriptor, and a sandbox machine with the panel's
// configuration key.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/log/log_manager.h"
#include "base/system/clock.h"
#include "base/text/unicode.h"
#include "support/sandbox.h"
#include "support/test_context.h"

namespace wc {

namespace log_test {

inline int64_t localSeconds(int year, int month, int day, int hour = 12, int minute = 0, int second = 0) {
  return fromLocalTime(LocalTime{year, month, day, hour, minute, second, 0});
}

// A clock that stands at the time the test sets.
class FakeClock : public Clock {
 public:
  explicit FakeClock(int64_t seconds) : seconds_(seconds) {}
  uint32_t tickCount() override { return ticks_; }
  int64_t now() override { return seconds_; }
  LocalTime localTime() override {
    LocalTime t = toLocalTime(seconds_);
    t.milliseconds = milliseconds_;
    return t;
  }
  void sleep(uint32_t ms) override { advanceMs(ms); }

  void advanceMs(uint32_t ms) {
    ticks_ += ms;
    seconds_ += ms / 1000;
  }
  void advanceDays(int days) { advanceMs(static_cast<uint32_t>(days) * 86400u * 1000u); }
  void setMilliseconds(int ms) { milliseconds_ = ms; }

 private:
  int64_t seconds_;
  uint32_t ticks_ = 5'000'000;
  int milliseconds_ = 0;
};

// Sends file descriptor 1 into a temporary file until finish(); on Windows
// the file is binary, so it holds what the program wrote before the console's
// own line ends.
class StdoutCapture {
 public:
  StdoutCapture();
  ~StdoutCapture() { restore(); }
  std::string finish() {
    restore();
    return testing_support::readFile(path_);
  }

 private:
  void restore();
  testing_support::TempDir dir_;
  std::string path_ = dir_ / "stdout";
  int saved_ = -1;
};

inline std::wstring fromUtf16le(const std::string& bytes) {
  auto text = utf16leToWide(bytes);
  return text ? *text : L"<invalid UTF-16>";
}

// A sandbox whose configuration key names a product root inside it.
class LogSandbox {
 public:
  explicit LogSandbox(bool debug) { configure(debug); }

  // Rewrites the configuration key. The Debug value is always written, so that
  // the cached switch of the process follows it.
  void configure(bool debug, const std::string& extraValues = "") const {
    sandbox_.writeRegistry(testing_support::kConfigSection + "\"PRODUCT_ROOT_D\"=\"" + productRoot() +
                           "\"\n\"Debug\"=dword:0000000" + (debug ? "1" : "0") + "\n" + extraValues + "\n");
  }
  std::string productRoot() const { return sandbox_.path("product"); }
  std::string logsDir() const { return sandbox_.path("product/admin/logs"); }
  const testing_support::Sandbox& sandbox() const { return sandbox_; }

 private:
  testing_support::Sandbox sandbox_;
};

// The process-wide Debug switch is read again only every 16th call; enough
// calls guarantee that it has seen the sandbox's current value.
inline void refreshDebugSwitch() {
  for (int i = 0; i < 16; ++i) isDebugEnabled();
}

// The events the event log holds for the panel's log, one line each as the
// POSIX stand-in writes them: "<date> <time> <type> <source>: <strings joined by ': '>".
std::vector<std::string> eventLines(const testing_support::Sandbox& sandbox);
// Empties the panel's event log where it outlives a sandbox (Windows).
void clearEventLog();

// Messages dispatched by the process's LogManager into a sandbox.
class DispatchTest : public ::testing::Test {
 protected:
  // A sandbox, the default switches for its Debug setting and a console that
  // has not printed yet; the process's table is put back after the test.
  void start(bool debug) {
    box.reset();  // its environment goes before the next one is set
    box = std::make_unique<LogSandbox>(debug);
    refreshDebugSwitch();
    manager().closeEventLog();
    manager().applyDefaultSwitches();
    manager().switches().setConsoleHasOutput(false);
    clearEventLog();
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
  std::vector<std::string> events() const { return eventLines(box->sandbox()); }
  std::wstring debugLog() const {
    std::wstring all;
    for (const std::string& name : testing_support::namesIn(box->logsDir()))
      all += fromUtf16le(testing_support::readFile(box->logsDir() + "/" + name).substr(2));
    return all;
  }

  std::unique_ptr<LogSandbox> box;
  unsigned char saved[kSinkTableSize];
};

}  // namespace log_test

}  // namespace wc
