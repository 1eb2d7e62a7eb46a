#include "base/services/service_control.h"

namespace {
ServiceControl* currentControl = nullptr;
}

ServiceControl& ServiceControl::current() { return currentControl ? *currentControl : Default(); }

void ServiceControl::setCurrentForTesting(ServiceControl* control) { currentControl = control; }

bool hasAccess(uint32_t granted, uint32_t needed) { return (granted & needed) == needed; }

uint32_t accessNeededForControl(uint32_t request) {
  if (request == SERVICE_CONTROL_STOP) return SERVICE_STOP;
  if (request == SERVICE_CONTROL_PAUSE || request == SERVICE_CONTROL_CONTINUE) return SERVICE_PAUSE_CONTINUE;
  return SERVICE_INTERROGATE;
}
