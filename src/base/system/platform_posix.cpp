// The system area's small platform facts on POSIX.

#include <unistd.h>

#include "base/system/com_apartment.h"
#include "base/system/error_mode.h"
#include "base/system/path_separator.h"
#include "base/system/unique_handle.h"

namespace wc {

wchar_t pathSeparator() { return L'/'; }

// POSIX has no fault dialogs; the fault translation installs its own handlers.
void disableFaultDialogs() {}

// There is no COM to set up.
ComApartment::ComApartment() = default;
ComApartment::~ComApartment() = default;

void FdTraits::close(int fd) { ::close(fd); }

}  // namespace wc
