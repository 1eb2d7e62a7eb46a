#pragma once
// The panel's "Debug" switch, read from the settings store only now and then:
// every message asks for it, and a store read per message would cost more than
// the message.

#include <atomic>
#include <cstdint>

#include "base/system/context.h"

namespace wc {

class PolledDebugSetting {
 public:
  explicit PolledDebugSetting(const Context& context) : context_(context) {}
  // Reads the value again on the first call and on every 16th call after it
  // (calls 1, 17, 33, ...). A missing value keeps the cached one (initially
  // off); a value that cannot be read (wrong type or size) answers false.
  bool get();

 private:
  Context context_;
  std::atomic<uint32_t> calls_{0};
  std::atomic<uint32_t> cached_{0};
};

}  // namespace wc
