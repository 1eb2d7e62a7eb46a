#pragma once
// The context of the machine the program runs on, which a program's entry
// point hands down.

#include "base/system/context.h"

namespace wc {

// The system's file system, settings store, service control, clock and local
// accounts; made once.
const Context& systemContext();

}  // namespace wc
