#pragma once
// The forced removal: every registered entry of a service (of every service
// when the name is empty) is removed now, the services stopped on the way
// are started again, and the storage keeps only what could not be removed.
// With no entry left the scheduled task loses its triggers.

#include <string>

#include "base/system/context.h"

namespace wc {

// `storagePath` is the removal storage file. With `keepStopped` and a
// service name, that service is sent the stop control at the end and not
// started again. Failures of single entries are logged; failures of the
// storage (unreadable, unwritable) and of the task are thrown.
void forceRemoval(const Context& context, const std::wstring& storagePath, const std::wstring& service,
                  bool keepStopped);

}  // namespace wc
