// The system area's small platform facts on Windows.

#include <windows.h>

#include "base/system/error_mode.h"
#include "base/system/path_separator.h"

namespace wc {

wchar_t pathSeparator() { return L'\\'; }

// A fault ends in the program's own handling (and crash dump), never in the
// system's error dialog, which would keep a panel's call waiting for a click.
void disableFaultDialogs() { SetErrorMode(GetErrorMode() | SEM_NOGPFAULTERRORBOX); }

}  // namespace wc
