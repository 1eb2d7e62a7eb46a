// Processor faults on Windows (x86-64, mingw). A plain catch does not see a
// structured exception, so a vectored handler sends the faulting thread into
// a small thunk that calls the thread's translator, which throws
// cwrpexception as if from the faulting instruction: the handler pushes the
// faulting address + 1 as the thunk's return address (the unwinder looks up
// "return address - 1", which must lie inside the faulting instruction's
// call-site range, even when the fault is in the function of the `try`) and
// the thunk, which has unwind information, realigns the stack before the call.
// The whole program is built with -fnon-call-exceptions, so that the faulting
// instruction's frame has the cleanups and handlers that the unwinder needs.

#include "base/errors/fault_signals.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <mutex>

#include "base/errors/se_translator.h"
#include "base/errors/vexception.h"

namespace wc {

extern "C" void wcadminFaultThunk();
extern "C" [[noreturn]] void wcadminRaiseTranslatedFault();

// The thunk: a frame the unwinder can step through (rbp holds the stack
// pointer that the handler left, whose top is the return address into the
// faulting function), then a call on a 16-byte aligned stack with the home
// area for four arguments.
asm(R"(
    .text
    .p2align 4
    .globl wcadminFaultThunk
    .def wcadminFaultThunk; .scl 2; .type 32; .endef
    .seh_proc wcadminFaultThunk
wcadminFaultThunk:
    pushq %rbp
    .seh_pushreg %rbp
    movq %rsp, %rbp
    .seh_setframe %rbp, 0
    .seh_endprologue
    andq $-16, %rsp
    subq $32, %rsp
    call wcadminRaiseTranslatedFault
    ud2
    .seh_endproc
)");

namespace {

std::atomic<bool> handlerInstalled{false};
std::mutex installLock;
std::terminate_handler previousTerminate = nullptr;

// Stack left to the translator and the unwinder after a stack overflow.
constexpr ULONG kStackOverflowReserve = 64 * 1024;

// The fault that the handler hands to the thunk: a copy, since the system's
// records are gone once the handler returns.
struct PendingFault {
  EXCEPTION_RECORD record;
  CONTEXT context;
  SeTranslatorFunction translator;
};
thread_local PendingFault pendingFault;

bool isProcessorFault(DWORD code) {
  switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_FLT_DENORMAL_OPERAND:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_INEXACT_RESULT:
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_OVERFLOW:
    case EXCEPTION_FLT_UNDERFLOW:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_STACK_OVERFLOW:
      return true;
    default:
      return false;
  }
}

LONG CALLBACK onException(EXCEPTION_POINTERS* exception) {
  const DWORD code = exception->ExceptionRecord->ExceptionCode;
  if (!isProcessorFault(code)) return EXCEPTION_CONTINUE_SEARCH;
  SeTranslatorFunction translator = currentSeTranslator();
  // Without a translator the fault keeps its usual effect, except inside the
  // translator's own work (the crash dump, which runs with translation off):
  // that step is abandoned and the original fault thrown.
  if (translator == nullptr && !faultTranslationInProgress()) return EXCEPTION_CONTINUE_SEARCH;
  pendingFault.record = *exception->ExceptionRecord;
  pendingFault.context = *exception->ContextRecord;
  pendingFault.translator = translator;
  CONTEXT* context = exception->ContextRecord;
  context->Rsp -= sizeof(DWORD64);
  *reinterpret_cast<DWORD64*>(context->Rsp) = context->Rip + 1;
  context->Rip = reinterpret_cast<DWORD64>(&wcadminFaultThunk);
  return EXCEPTION_CONTINUE_EXECUTION;
}

// A translated fault that the unwinder cannot carry to a handler (a fault
// inside a noexcept function, a stack overflow in a frame that must run
// cleanups) ends the process like any other failure, with exit code 1,
// instead of an abort; the crash dump was already written by the translator.
void onTerminate() {
  if (std::exception_ptr current = std::current_exception()) {
    try {
      std::rethrow_exception(current);
    } catch (const cwrpexception& fault) {
      std::fprintf(stderr, "Unrecoverable C structured exception: 0x%x; the process ends.\n",
                   static_cast<unsigned>(fault.code));
      std::fflush(stderr);
      std::_Exit(1);
    } catch (...) {
    }
  }
  if (previousTerminate != nullptr) previousTerminate();
  std::abort();
}

}  // namespace

extern "C" void wcadminRaiseTranslatedFault() {
  // The records move to this frame: a fault inside the translator's work
  // takes the thread's pending slot again.
  alignas(16) CONTEXT context = pendingFault.context;
  EXCEPTION_RECORD record = pendingFault.record;
  const SeTranslatorFunction translator = pendingFault.translator;
  const uint32_t code = record.ExceptionCode;
  if (translator == nullptr) throw cwrpexception{code};
  EXCEPTION_POINTERS pointers{&record, &context};
  {
    FaultTranslationInProgress inProgress;
    translator(code, &pointers);
  }
  // A translator that returns has not dealt with the fault: it ends the
  // process as an unhandled fault would.
  UnhandledExceptionFilter(&pointers);
  TerminateProcess(GetCurrentProcess(), code);
  std::abort();
}

void prepareThreadForFaultTranslation() {
  thread_local bool prepared = false;
  if (prepared) return;
  ULONG reserve = kStackOverflowReserve;
  SetThreadStackGuarantee(&reserve);
  prepared = true;
}

void installFaultTranslation() {
  prepareThreadForFaultTranslation();
  if (handlerInstalled.load(std::memory_order_acquire)) return;
  std::lock_guard<std::mutex> lock(installLock);
  if (handlerInstalled.load(std::memory_order_relaxed)) return;
  // First in line: the frame-based handlers of the program would never see
  // a fault that the C++ runtime can catch.
  AddVectoredExceptionHandler(1, &onException);
  previousTerminate = std::set_terminate(&onTerminate);
  handlerInstalled.store(true, std::memory_order_release);
}

}  // namespace wc
