#include "base/services/service_control.h"

namespace {
ServiceControl* currentControl = nullptr;
}

ServiceControl& ServiceControl::current() { return currentControl ? *currentControl : Default(); }

void ServiceControl::setCurrentForTesting(ServiceControl* control) { currentControl = control; }
