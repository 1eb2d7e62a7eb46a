#include "base/system/clock.h"

#include <ctime>

namespace wc {

// mktime is the C library's on both platforms; only the thread-safe reading
// of local time differs (clock_posix.cpp, clock_win32.cpp).
int64_t fromLocalTime(const LocalTime& time) {
  std::tm parts{};
  parts.tm_year = time.year - 1900;
  parts.tm_mon = time.month - 1;
  parts.tm_mday = time.day;
  parts.tm_hour = time.hour;
  parts.tm_min = time.minute;
  parts.tm_sec = time.second;
  parts.tm_isdst = -1;
  return static_cast<int64_t>(std::mktime(&parts));
}

}  // namespace wc
