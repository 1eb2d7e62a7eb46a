#include "base/log/debug_setting.h"

#include "base/log/log.h"
#include "base/log/log_manager.h"
#include "base/registry/registry.h"

namespace wc {

bool PolledDebugSetting::get() {
  try {
    if (calls_.fetch_add(1) % 16 == 0) {
      uint32_t value = 0;
      if (registry::lookupDword(context_, registry::Root::LocalMachine, registry::kConfigKey, L"Debug", value,
                                registry::kView32) == 0) {
        cached_ = value;
      }
    }
    return cached_ != 0;
  } catch (...) {
    return false;
  }
}

bool isDebugEnabled() {
  static PolledDebugSetting setting(processMachine());
  return setting.get();
}

}  // namespace wc
