// Processor faults on POSIX: the handlers of SIGSEGV, SIGBUS, SIGFPE and
// SIGILL hand a fault to the thread's translator, which throws it as
// cwrpexception straight from the faulting instruction (the whole program is
// built with -fnon-call-exceptions, and the unwinder steps through the signal
// frame). The handlers run on a stack of their own per thread, so that a
// stack overflow can be handled too.

#include "base/errors/fault_signals.h"

#include <signal.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <mutex>

#include "base/errors/se_translator.h"
#include "base/errors/vexception.h"

namespace wc {

namespace {

constexpr std::array<int, 4> kFaultSignals = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};

// The dispositions found at installation, for faults that are not ours.
std::array<struct sigaction, kFaultSignals.size()> previousActions{};
std::atomic<bool> handlersInstalled{false};
std::mutex installLock;
std::terminate_handler previousTerminate = nullptr;

// The translator, the crash dump and the unwinder all run on this stack.
constexpr size_t kSignalStackSize = 1024 * 1024;

// A fault address this close to the stack pointer is the stack running out.
constexpr uintptr_t kStackOverflowReach = 64 * 1024;

class SignalStack {
 public:
  ~SignalStack() {
    if (memory_ == nullptr) return;
    stack_t off{};
    off.ss_flags = SS_DISABLE;
    sigaltstack(&off, nullptr);
    munmap(memory_, size_);
  }

  void prepare() {
    if (memory_ != nullptr) return;
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    // One inaccessible page below the stack stops an overflow of the handler
    // itself from running into other memory.
    const size_t size = kSignalStackSize + page;
    void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (memory == MAP_FAILED) return;  // faults are still translated, only an overflow is not
    mprotect(memory, page, PROT_NONE);
    stack_t stack{};
    stack.ss_sp = static_cast<char*>(memory) + page;
    stack.ss_size = kSignalStackSize;
    if (sigaltstack(&stack, nullptr) != 0) {
      munmap(memory, size);
      return;
    }
    memory_ = memory;
    size_ = size;
  }

 private:
  void* memory_ = nullptr;
  size_t size_ = 0;
};

thread_local SignalStack threadSignalStack;

uintptr_t stackPointerOf(const ucontext_t* context) {
#if defined(__x86_64__)
  return static_cast<uintptr_t>(context->uc_mcontext.gregs[REG_RSP]);
#elif defined(__aarch64__)
  return static_cast<uintptr_t>(context->uc_mcontext.sp);
#else
  (void)context;
  return 0;
#endif
}

bool isStackOverflow(const siginfo_t* info, const ucontext_t* context) {
  const uintptr_t sp = stackPointerOf(context);
  if (sp == 0) return false;
  const uintptr_t address = reinterpret_cast<uintptr_t>(info->si_addr);
  // Memory next to the stack pointer is stack; it faults only where the
  // stack ends.
  return address + kStackOverflowReach >= sp && address <= sp + kStackOverflowReach;
}

uint32_t floatFaultCode(int signalCode) {
  switch (signalCode) {
    case FPE_INTDIV:
      return EXCEPTION_INT_DIVIDE_BY_ZERO;
    case FPE_INTOVF:
      return EXCEPTION_INT_OVERFLOW;
    case FPE_FLTDIV:
      return EXCEPTION_FLT_DIVIDE_BY_ZERO;
    case FPE_FLTOVF:
      return EXCEPTION_FLT_OVERFLOW;
    case FPE_FLTUND:
      return EXCEPTION_FLT_UNDERFLOW;
    case FPE_FLTRES:
      return EXCEPTION_FLT_INEXACT_RESULT;
    default:
      return EXCEPTION_FLT_INVALID_OPERATION;
  }
}

uint32_t exceptionCodeOf(int signal, const siginfo_t* info, const ucontext_t* context) {
  switch (signal) {
    case SIGSEGV:
      return isStackOverflow(info, context) ? EXCEPTION_STACK_OVERFLOW : EXCEPTION_ACCESS_VIOLATION;
    case SIGBUS:
      return info->si_code == BUS_ADRALN ? EXCEPTION_DATATYPE_MISALIGNMENT : EXCEPTION_IN_PAGE_ERROR;
    case SIGILL:
      return info->si_code == ILL_PRVOPC || info->si_code == ILL_PRVREG ? EXCEPTION_PRIV_INSTRUCTION
                                                                        : EXCEPTION_ILLEGAL_INSTRUCTION;
    case SIGFPE:
      return floatFaultCode(info->si_code);
    default:
      return EXCEPTION_ACCESS_VIOLATION;
  }
}

const struct sigaction* previousActionOf(int signal) {
  for (size_t i = 0; i < kFaultSignals.size(); ++i) {
    if (kFaultSignals[i] == signal) return &previousActions[i];
  }
  return nullptr;
}

// The fault is not ours to translate: it gets the treatment it would have
// had without our handler. A handler found at installation is called; else
// the default disposition is put back, and the faulting instruction, run
// again on return, ends the process the usual way.
void passOn(int signal, siginfo_t* info, void* context) {
  const struct sigaction* previous = previousActionOf(signal);
  if (previous != nullptr && (previous->sa_flags & SA_SIGINFO) != 0 && previous->sa_sigaction != nullptr) {
    previous->sa_sigaction(signal, info, context);
    return;
  }
  if (previous != nullptr && previous->sa_handler != SIG_DFL && previous->sa_handler != SIG_IGN) {
    previous->sa_handler(signal);
    return;
  }
  // An ignored signal stays ignored when a process sent it; an ignored fault
  // cannot be, and the kernel ends the process on the next attempt anyway.
  if (previous != nullptr && previous->sa_handler == SIG_IGN && info->si_code <= 0) return;
  struct sigaction defaults {};
  defaults.sa_handler = SIG_DFL;
  sigemptyset(&defaults.sa_mask);
  sigaction(signal, &defaults, nullptr);
  // A signal sent by kill() or raise() does not come again by itself.
  if (info->si_code <= 0) raise(signal);
}

void onFault(int signal, siginfo_t* info, void* machineContext) {
  // si_code <= 0: sent by a process, not raised by an instruction; there is
  // no faulting instruction to throw from.
  if (info->si_code <= 0) {
    passOn(signal, info, machineContext);
    return;
  }
  const auto* context = static_cast<const ucontext_t*>(machineContext);
  const uint32_t code = exceptionCodeOf(signal, info, context);
  SeTranslatorFunction translator = currentSeTranslator();
  if (translator == nullptr) {
    // A fault inside the translator's own work (the crash dump, which runs
    // with translation off) abandons that step: the exception is dropped by
    // the translator, which then throws the original fault.
    if (faultTranslationInProgress()) throw cwrpexception{code};
    passOn(signal, info, machineContext);
    return;
  }
  FaultTranslationInProgress inProgress;
  FaultContext fault;
  fault.code = code;
  fault.signal = signal;
  fault.threadId = static_cast<uint32_t>(syscall(SYS_gettid));
  fault.signalInfo = info;
  fault.machineContext = machineContext;
  // SA_NODEFER left the signal unblocked, so leaving this handler by an
  // exception keeps the thread's signal mask as it was before the fault.
  translator(fault.code, &fault);
  // A translator that returns has not dealt with the fault.
  passOn(signal, info, machineContext);
}

// A translated fault that the unwinder cannot carry to a handler (a stack
// overflow in a frame that must run cleanups, a fault inside a noexcept
// function) ends the process like any other failure, with exit code 1,
// instead of an abort; the crash dump was already written by the translator.
void onTerminate() {
  if (std::exception_ptr current = std::current_exception()) {
    try {
      std::rethrow_exception(current);
    } catch (const cwrpexception& fault) {
      char text[120];
      const int length =
          std::snprintf(text, sizeof text, "Unrecoverable C structured exception: 0x%x; the process ends.\n",
                        static_cast<unsigned>(fault.code));
      if (length > 0) {
        ssize_t ignored = write(STDERR_FILENO, text, static_cast<size_t>(length));
        (void)ignored;
      }
      _exit(1);
    } catch (...) {
    }
  }
  if (previousTerminate != nullptr) previousTerminate();
  std::abort();
}

}  // namespace

void prepareThreadForFaultTranslation() { threadSignalStack.prepare(); }

void installFaultTranslation() {
  prepareThreadForFaultTranslation();
  if (handlersInstalled.load(std::memory_order_acquire)) return;
  std::lock_guard<std::mutex> lock(installLock);
  if (handlersInstalled.load(std::memory_order_relaxed)) return;
  for (size_t i = 0; i < kFaultSignals.size(); ++i) {
    struct sigaction action {};
    action.sa_sigaction = &onFault;
    // SA_NODEFER: the handler may be left by an exception, and the signal
    // must not stay blocked after that (a second fault is caught again).
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    sigaction(kFaultSignals[i], &action, &previousActions[i]);
  }
  previousTerminate = std::set_terminate(&onTerminate);
  handlersInstalled.store(true, std::memory_order_release);
}

}  // namespace wc
