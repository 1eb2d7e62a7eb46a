#include "base/log/debug_setting.h"

#include "base/log/log.h"
#include "base/registry/registry.h"

namespace wc {

bool PolledDebugSetting::get() {
  try {
    if (calls_.fetch_add(1) % 16 == 0) {
      uint32_t value = 0;
      if (registry::lookupDword(registry::Root::LocalMachine, registry::kConfigKey, L"Debug", value,
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
  static PolledDebugSetting setting;
  return setting.get();
}

}  // namespace wc
