#include "base/errors/se_translator.h"

#include <atomic>

#include "base/errors/vexception.h"

namespace wc {

namespace {
thread_local SeTranslatorFunction currentTranslator = nullptr;
std::atomic<CrashDumpHook> crashDumpHook{nullptr};
thread_local int translationsInProgress = 0;
}  // namespace

FaultTranslationInProgress::FaultTranslationInProgress() { ++translationsInProgress; }
FaultTranslationInProgress::~FaultTranslationInProgress() { --translationsInProgress; }
bool faultTranslationInProgress() { return translationsInProgress > 0; }

SeTranslatorFunction setSeTranslator(SeTranslatorFunction translator) {
  SeTranslatorFunction previous = currentTranslator;
  currentTranslator = translator;
  return previous;
}

SeTranslatorFunction currentSeTranslator() { return currentTranslator; }

void setCrashDumpHook(CrashDumpHook hook) { crashDumpHook.store(hook); }

void seTranslator(uint32_t code, void* exceptionPointers) {
  // A fault inside the dump writer must not be translated again.
  SeTranslatorFunction previous = setSeTranslator(nullptr);
  struct Restore {
    SeTranslatorFunction previous;
    ~Restore() { setSeTranslator(previous); }
  } restore{previous};
  if (CrashDumpHook hook = crashDumpHook.load()) {
    try {
      hook(exceptionPointers);
    } catch (...) {
    }
  }
  throw cwrpexception{code};
}

}  // namespace wc
