#pragma once
// The process's crash dumps: the one CrashDumpInfo of the program, built
// before main (settings read once, directory created) and pruning at normal
// program end, and the fault handling that writes a dump before a fault
// travels up as an exception.

#include "base/crashdump/crash_dump_info.h"

namespace wc {

// Installs the fault handlers (installFaultTranslation) and makes the dump
// writer the translator's crash-dump hook. The program's entry calls it
// first; calling it also links the process's CrashDumpInfo into the program.
// Safe to call again.
void installCrashDumps();

CrashDumpInfo& processCrashDumpInfo();

}  // namespace wc
