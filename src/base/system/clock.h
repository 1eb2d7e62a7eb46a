#pragma once
// Time and sleeps behind one seam, so that tests can run long waits (service
// time-outs of several minutes) in virtual time.

#include <cstdint>

namespace wc {

struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, milliseconds = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since an arbitrary start, wrapping at 32 bits like GetTickCount.
  virtual uint32_t tickCount() = 0;
  // Seconds since the Unix epoch.
  virtual int64_t now() = 0;
  virtual LocalTime localTime() = 0;
  // An alertable sleep that sleeps the full time.
  virtual void sleep(uint32_t milliseconds) = 0;
};

// The system's clock (clock_<platform>.cpp).
Clock& systemClock();

// Converts seconds since the epoch to local time and back (local time zone).
LocalTime toLocalTime(int64_t secondsSinceEpoch);
int64_t fromLocalTime(const LocalTime& time);

}  // namespace wc
