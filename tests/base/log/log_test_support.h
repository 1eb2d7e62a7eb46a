#pragma once
// Shared pieces of the logging tests: a clock the test moves by hand, stdout
// captured through its descriptor, and a sandbox machine with the panel's
// configuration key.

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/errors/vexception.h"
#include "base/log/log_manager.h"
#include "base/system/clock.h"
#include "base/text/unicode.h"
#include "support/sandbox.h"

namespace log_test {

inline int64_t localSeconds(int year, int month, int day, int hour = 12, int minute = 0, int second = 0) {
  return fromLocalTime(LocalTime{year, month, day, hour, minute, second, 0});
}

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
  void advanceDays(int days) {
    seconds_ += int64_t{days} * 86400;
    ticks_ += static_cast<uint32_t>(days) * 86400u * 1000u;
  }
  void setMilliseconds(int ms) { milliseconds_ = ms; }

 private:
  int64_t seconds_;
  uint32_t ticks_ = 5'000'000;
  int milliseconds_ = 0;
};

// Puts a clock in for a scope.
class ScopedClock {
 public:
  explicit ScopedClock(Clock& clock) { Clock::setCurrentForTesting(&clock); }
  ~ScopedClock() { Clock::setCurrentForTesting(nullptr); }
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;
};

// Sends file descriptor 1 into a temporary file until finish().
class StdoutCapture {
 public:
  StdoutCapture() {
    fflush(stdout);
    saved_ = dup(1);
    int fd = open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(fd, 1);
    close(fd);
  }
  ~StdoutCapture() { restore(); }
  std::string finish() {
    restore();
    return testing_support::readFile(path_);
  }

 private:
  void restore() {
    if (saved_ < 0) return;
    fflush(stdout);
    dup2(saved_, 1);
    close(saved_);
    saved_ = -1;
  }
  testing_support::TempDir dir_;
  std::string path_ = dir_ / "stdout";
  int saved_ = -1;
};

inline std::wstring fromUtf16le(const std::string& bytes) {
  auto text = utf16leToWide(bytes);
  return text ? *text : L"<invalid UTF-16>";
}

inline std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    out.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

// A sink that keeps what it is given.
class RecordingSink : public LogSink {
 public:
  struct Entry {
    LogLevel level;
    std::wstring text;
    bool fromException;
    size_t callPoints;
  };
  void write(LogLevel level, const std::wstring& text) override { entries.push_back({level, text, false, 0}); }
  void write(LogLevel level, const vexception& e) override {
    entries.push_back({level, e.fullText(), true, e.callPoints().size()});
  }
  std::vector<Entry> entries;
};

// A sandbox whose configuration key names a product root inside it.
class LogSandbox {
 public:
  explicit LogSandbox(bool debug, const std::string& extraValues = "") { configure(debug, extraValues); }

  // Rewrites the configuration key. The Debug value is always written, so that
  // the cached switch of the process follows it.
  void configure(bool debug, const std::string& extraValues = "") const {
    sandbox_.writeRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config]\n\"PRODUCT_ROOT_D\"=\"" +
                           productRoot() + "\"\n\"Debug\"=dword:0000000" + (debug ? "1" : "0") + "\n" + extraValues +
                           "\n");
  }
  std::string productRoot() const { return sandbox_.path("product"); }
  std::string logsDir() const { return sandbox_.path("product/admin/logs"); }
  std::string eventsFile() const { return sandbox_.path("var/log/halvo/events.log"); }
  const testing_support::Sandbox& sandbox() const { return sandbox_; }

 private:
  testing_support::Sandbox sandbox_;
};

// The process-wide Debug switch is read again only every 16th call; enough
// calls guarantee that it has seen the sandbox's current value.
inline void refreshDebugSwitch() {
  for (int i = 0; i < 16; ++i) isDebugEnabled();
}

}  // namespace log_test
