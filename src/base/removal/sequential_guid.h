#pragma once
// Identifiers of removal entries: GUIDs that grow with the time they were
// made, in the platform's text form (lower-case hex digits and hyphens, no
// braces: "0190f5c2-8a1b-7000-8000-1d2a0000beef").
//
// Layout: 48 bits of Unix time in milliseconds, the version nibble 7, a
// 12-bit sequence within the millisecond, the variant bits 10, the process id
// and 30 random bits. Within a process each identifier sorts after the one
// before (as text, too); across processes the process id keeps them apart,
// so they are unique on this machine.

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

namespace wc {

class SequentialGuidGenerator {
 public:
  // `random` answers 30 random bits per call.
  SequentialGuidGenerator(uint32_t processId, std::function<uint32_t()> random);

  // The next identifier for the time `unixMilliseconds`. A clock that went
  // back, or more than 4096 identifiers in one millisecond, borrow from the
  // following milliseconds so that the order holds.
  std::wstring next(uint64_t unixMilliseconds);

 private:
  std::mutex lock_;
  uint32_t processId_;
  std::function<uint32_t()> random_;
  uint64_t lastMilliseconds_ = 0;
  uint32_t sequence_ = 0;
  bool first_ = true;
};

// A new identifier from the process-wide generator and the system time.
std::wstring createSequentialGuid();

}  // namespace wc
