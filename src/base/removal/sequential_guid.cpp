#include "base/removal/sequential_guid.h"

#include <chrono>
#include <random>

#include "base/system/process.h"
#include "base/text/vaformat.h"

namespace wc {

namespace {
constexpr uint32_t kSequenceLimit = 0x1000;        // 12 bits
constexpr uint64_t kTimeMask = 0xFFFFFFFFFFFFull;  // 48 bits
constexpr uint32_t kRandomMask = 0x3FFFFFFF;       // 30 bits
}  // namespace

SequentialGuidGenerator::SequentialGuidGenerator(uint32_t processId, std::function<uint32_t()> random)
    : processId_(processId), random_(std::move(random)) {}

std::wstring SequentialGuidGenerator::next(uint64_t unixMilliseconds) {
  std::lock_guard guard(lock_);
  uint64_t milliseconds = unixMilliseconds & kTimeMask;
  if (first_ || milliseconds > lastMilliseconds_) {
    sequence_ = 0;
  } else {
    milliseconds = lastMilliseconds_;
    if (++sequence_ == kSequenceLimit) {
      ++milliseconds;
      sequence_ = 0;
    }
  }
  first_ = false;
  lastMilliseconds_ = milliseconds;

  const uint32_t timeHigh = static_cast<uint32_t>(milliseconds >> 16);
  const uint32_t timeLow = static_cast<uint32_t>(milliseconds & 0xFFFF);
  const uint32_t versionAndSequence = 0x7000 | sequence_;
  // Variant 10, then the process id and the random bits.
  const uint64_t tail = (uint64_t{2} << 62) | (uint64_t{processId_} << 30) | (random_() & kRandomMask);
  return vaformat(L"%08x-%04x-%04x-%04x-%04x%08x", timeHigh, timeLow, versionAndSequence,
                  static_cast<uint32_t>(tail >> 48), static_cast<uint32_t>((tail >> 32) & 0xFFFF),
                  static_cast<uint32_t>(tail & 0xFFFFFFFF));
}

std::wstring createSequentialGuid() {
  static SequentialGuidGenerator generator(currentProcessId(), [] {
    static std::mt19937 engine{std::random_device{}()};
    return static_cast<uint32_t>(engine());
  });
  const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
  const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count();
  return generator.next(static_cast<uint64_t>(milliseconds < 0 ? 0 : milliseconds));
}

}  // namespace wc
