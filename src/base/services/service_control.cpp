#include "base/services/service_control.h"

#include "base/errors/win_error_codes.h"

namespace wc {

bool hasAccess(uint32_t granted, uint32_t needed) { return (granted & needed) == needed; }

uint32_t accessNeededForControl(uint32_t request) {
  if (request == SERVICE_CONTROL_STOP) return SERVICE_STOP;
  if (request == SERVICE_CONTROL_PAUSE || request == SERVICE_CONTROL_CONTINUE) return SERVICE_PAUSE_CONTINUE;
  return SERVICE_INTERROGATE;
}

uint32_t controlRefusedInState(uint32_t state, uint32_t request) {
  if (state == SERVICE_STOPPED) return ERROR_SERVICE_NOT_ACTIVE;
  if (state == SERVICE_STOP_PENDING || (state == SERVICE_START_PENDING && request != SERVICE_CONTROL_STOP)) {
    return ERROR_SERVICE_CANNOT_ACCEPT_CTRL;
  }
  return 0;
}

}  // namespace wc
