#include "base/crashdump/process_crash_dumps.h"

#include "base/errors/fault_signals.h"
#include "base/errors/se_translator.h"
#include "base/log/log_manager.h"

namespace wc {

namespace {

// Built during static initialisation, before the program's main code, and
// destroyed (pruning the dumps) after it.
CrashDumpInfo crashDumpInfo(processMachine());

void writeDumpForFault(void* exceptionPointers) { writeDumpIfEnabled(exceptionPointers, crashDumpInfo); }

}  // namespace

void installCrashDumps() {
  setCrashDumpHook(&writeDumpForFault);
  installFaultTranslation();
}

CrashDumpInfo& processCrashDumpInfo() { return crashDumpInfo; }

}  // namespace wc
