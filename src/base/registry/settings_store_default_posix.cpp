// On POSIX the settings store is the file etc/halvo/registry.reg under the
// sandbox root.

#include "base/registry/file_settings_store.h"
#include "base/system/system_root.h"

namespace wc {

namespace registry {

SettingsStore& systemSettingsStore() {
  static FileSettingsStore store([] { return underSystemRoot(L"etc/halvo/registry.reg"); });
  return store;
}

}  // namespace registry

}  // namespace wc
