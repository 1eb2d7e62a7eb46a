#include "base/system/clock.h"

#include <windows.h>

#include <ctime>

namespace wc {

namespace {

class SystemClock : public Clock {
 public:
  uint32_t tickCount() override { return GetTickCount(); }
  int64_t now() override { return static_cast<int64_t>(_time64(nullptr)); }
  LocalTime localTime() override {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return LocalTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
  }
  void sleep(uint32_t milliseconds) override {
    // Alertable: queued calls run in between, and the rest of the time is
    // slept after them.
    const uint32_t start = GetTickCount();
    uint32_t elapsed = 0;
    while (elapsed < milliseconds) {
      SleepEx(milliseconds - elapsed, TRUE);
      elapsed = GetTickCount() - start;
    }
  }
};

}  // namespace

Clock& systemClock() {
  static SystemClock clock;
  return clock;
}

LocalTime toLocalTime(int64_t seconds) {
  const __time64_t t = static_cast<__time64_t>(seconds);
  tm parts{};
  _localtime64_s(&parts, &t);
  return LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec, 0};
}

}  // namespace wc
