#include "base/pipes/connect_try_count.h"

#include "base/log/log.h"
#include "base/log/log_manager.h"
#include "base/registry/registry.h"

namespace wc {

namespace {
constexpr uint32_t kPollEvery = 16;
}

uint32_t ConnectTryCount::tries(uint32_t defaultTries) {
  std::lock_guard guard(lock_);
  if (!readFailed_ && calls_ % kPollEvery == 0) {
    try {
      // A missing value leaves the last reading in place.
      registry::lookupDword(context_, registry::Root::LocalMachine, registry::kConfigKey, L"PipeConnectTryCount",
                            stored_, registry::kView32);
    } catch (const vexception& e) {
      readFailed_ = true;
      logMessage(LOG_WARNING, L"PipeConnectTryCount is ignored from now on: %s", e.message());
    }
  }
  ++calls_;
  return stored_ != 0 ? stored_ : defaultTries;
}

ConnectTryCount& processConnectTryCount() {
  static ConnectTryCount reading(processMachine());
  return reading;
}

}  // namespace wc
