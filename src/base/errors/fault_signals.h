#pragma once
// Turns processor faults into calls of the thread's structured-exception
// translator (se_translator.h), so that a fault inside a guarded operation
// travels up as cwrpexception with the destructors of the faulting frames
// run. On POSIX the faults are the signals SIGSEGV, SIGBUS, SIGFPE and SIGILL;
// each is mapped to the Windows exception code of the same fault. A fault in
// a thread without a translator keeps its usual effect: the process ends as
// it would without the handlers.

#include <cstdint>

namespace wc {

// Windows exception codes of the faults this program translates (named by
// the Windows headers' macros where those came first).
#ifndef EXCEPTION_ACCESS_VIOLATION
constexpr uint32_t EXCEPTION_ACCESS_VIOLATION = 0xC0000005;
constexpr uint32_t EXCEPTION_IN_PAGE_ERROR = 0xC0000006;
constexpr uint32_t EXCEPTION_ILLEGAL_INSTRUCTION = 0xC000001D;
constexpr uint32_t EXCEPTION_DATATYPE_MISALIGNMENT = 0x80000002;
constexpr uint32_t EXCEPTION_FLT_DENORMAL_OPERAND = 0xC000008D;
constexpr uint32_t EXCEPTION_FLT_DIVIDE_BY_ZERO = 0xC000008E;
constexpr uint32_t EXCEPTION_FLT_INEXACT_RESULT = 0xC000008F;
constexpr uint32_t EXCEPTION_FLT_INVALID_OPERATION = 0xC0000090;
constexpr uint32_t EXCEPTION_FLT_OVERFLOW = 0xC0000091;
constexpr uint32_t EXCEPTION_FLT_UNDERFLOW = 0xC0000093;
constexpr uint32_t EXCEPTION_INT_DIVIDE_BY_ZERO = 0xC0000094;
constexpr uint32_t EXCEPTION_INT_OVERFLOW = 0xC0000095;
constexpr uint32_t EXCEPTION_PRIV_INSTRUCTION = 0xC0000096;
constexpr uint32_t EXCEPTION_STACK_OVERFLOW = 0xC00000FD;
#endif

// What the translator and the crash-dump writer receive as "exception
// pointers" on POSIX. The two pointers stay opaque above the seam: they are
// the signal's siginfo_t and the interrupted thread's ucontext_t, valid only
// while the translator runs.
struct FaultContext {
  uint32_t code = 0;                     // the Windows exception code
  int signal = 0;                        // the signal number
  uint32_t threadId = 0;                 // the faulting thread
  const void* signalInfo = nullptr;      // siginfo_t
  const void* machineContext = nullptr;  // ucontext_t
};

// Installs the fault handlers for the whole process and prepares the calling
// thread (see prepareThreadForFaultTranslation). Safe to call more than once
// and from several threads: the handlers are installed by the first call.
void installFaultTranslation();

// Gives the calling thread a signal stack of its own, so that a stack
// overflow can still be handled (and become EXCEPTION_STACK_OVERFLOW).
// Threads that translate faults call it once; further calls do nothing. The
// stack is released when the thread ends.
void prepareThreadForFaultTranslation();

}  // namespace wc
