#pragma once
// The per-thread translator of processor and OS faults. Every guard installs
// `seTranslator` for its body and puts the previous translator back after it;
// the platform's fault handler calls the installed one, which throws
// cwrpexception so that the fault travels up like any other failure.

#include <cstdint>

namespace wc {

using SeTranslatorFunction = void (*)(uint32_t code, void* exceptionPointers);

// Installs `translator` for the calling thread and returns the one it replaces.
SeTranslatorFunction setSeTranslator(SeTranslatorFunction translator);
SeTranslatorFunction currentSeTranslator();

// Writes a crash dump where dumps are enabled (hook below), then throws
// cwrpexception{code}. Runs with no translator installed.
[[noreturn]] void seTranslator(uint32_t code, void* exceptionPointers);

// The crash-dump writer the translator calls first; none until one is set.
using CrashDumpHook = void (*)(void* exceptionPointers);
void setCrashDumpHook(CrashDumpHook hook);

// Marks the calling thread as translating a fault while it lives (left by
// the translator's exception too). The platform's fault handler asks it to
// tell a fault inside the translator's own work (the crash dump, which runs
// with translation off) from a fault that nobody translates.
class FaultTranslationInProgress {
 public:
  FaultTranslationInProgress();
  ~FaultTranslationInProgress();
  FaultTranslationInProgress(const FaultTranslationInProgress&) = delete;
  FaultTranslationInProgress& operator=(const FaultTranslationInProgress&) = delete;
};
bool faultTranslationInProgress();

class SeTranslatorScope {
 public:
  SeTranslatorScope() : previous_(setSeTranslator(&seTranslator)) {}
  ~SeTranslatorScope() { setSeTranslator(previous_); }
  SeTranslatorScope(const SeTranslatorScope&) = delete;
  SeTranslatorScope& operator=(const SeTranslatorScope&) = delete;

 private:
  SeTranslatorFunction previous_;
};

}  // namespace wc
