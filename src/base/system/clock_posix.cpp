#include "base/system/clock.h"

#include <time.h>

#include <cerrno>

namespace wc {

namespace {

class SystemClock : public Clock {
 public:
  uint32_t tickCount() override {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000);
  }
  int64_t now() override { return static_cast<int64_t>(time(nullptr)); }
  LocalTime localTime() override {
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    LocalTime t = toLocalTime(ts.tv_sec);
    t.milliseconds = static_cast<int>(ts.tv_nsec / 1000000);
    return t;
  }
  void sleep(uint32_t milliseconds) override {
    timespec request{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&request, &request) != 0 && errno == EINTR) {
    }
  }
};

}  // namespace

Clock& systemClock() {
  static SystemClock clock;
  return clock;
}

LocalTime toLocalTime(int64_t seconds) {
  time_t t = static_cast<time_t>(seconds);
  tm parts{};
  localtime_r(&t, &parts);
  return LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec, 0};
}

}  // namespace wc
