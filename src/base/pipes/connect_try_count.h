#pragma once
// How many times a client tries to connect to a pipe: the panel's
// "PipeConnectTryCount" setting when it is non-zero, else the caller's
// default. The setting is read on the first call and on every 16th call after
// it; a value the program cannot interpret stops all further readings.

#include <cstdint>
#include <mutex>

#include "base/system/context.h"

namespace wc {

class ConnectTryCount {
 public:
  explicit ConnectTryCount(const Context& context) : context_(context) {}
  uint32_t tries(uint32_t defaultTries);

 private:
  const Context context_;
  std::mutex lock_;
  uint32_t calls_ = 0;
  uint32_t stored_ = 0;  // 0: not set
  bool readFailed_ = false;
};

// The one reading of the process.
ConnectTryCount& processConnectTryCount();

}  // namespace wc
