#pragma once
// The operating system's version record, read once per process: it decides
// which of the two domain-name conversions is used.

#include <cstdint>

namespace wc {

struct OsVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
};

// On systems without such a record (POSIX) the answer is 6.2, the first
// version whose own conversion follows UTS #46.
OsVersion operatingSystemVersion();

// True from 6.2 on (Windows 8 / Server 2012 and later).
inline bool usesUts46(const OsVersion& version) {
  return version.major > 6 || (version.major == 6 && version.minor > 1);
}

}  // namespace wc
