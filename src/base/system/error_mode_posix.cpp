#include "base/system/error_mode.h"

// POSIX has no fault dialogs; the fault translation installs its own handlers.
void disableFaultDialogs() {}
