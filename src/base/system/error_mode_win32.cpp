#include "base/system/error_mode.h"

#include <windows.h>

// A fault ends in the program's own handling (and crash dump), never in the
// system's error dialog, which would keep a panel's call waiting for a click.
void disableFaultDialogs() { SetErrorMode(GetErrorMode() | SEM_NOGPFAULTERRORBOX); }
