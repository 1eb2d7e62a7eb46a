#include "base/removal/system_context.h"

#include "base/files/file_system.h"
#include "base/registry/settings_store.h"
#include "base/removal/local_user.h"
#include "base/services/service_control.h"
#include "base/system/clock.h"

namespace wc {

const Context& systemContext() {
  static const Context context{.files = &systemFileSystem(),
                               .settings = &registry::systemSettingsStore(),
                               .services = &systemServiceControl(),
                               .clock = &systemClock(),
                               .localUsers = &systemLocalUsers()};
  return context;
}

}  // namespace wc
