#pragma once
// The identity of an open file from its handle (the Windows side of the files
// seam only).

#include <windows.h>

#include <cstdint>

#include "base/files/same_file.h"

namespace wc {

// The handle's volume serial number, file index and size
// (GetFileInformationByHandle); 0 or the Windows error code.
uint32_t readHandleIdentity(HANDLE handle, FileIdentity& identity);

}  // namespace wc
