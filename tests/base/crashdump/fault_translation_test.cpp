// Processor faults inside guarded operations: they reach the caller as a
// vexception with the fault's code and the guards' call points, the
// destructors of the faulting frames run, and a fault outside every guard
// still ends the process.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <thread>

#include "base/errors/fault_signals.h"
#include "base/errors/se_translator.h"
#include "base/errors/vguard.h"
#include "base/text/convert.h"
#include "support/child_process.h"
#include "support/failures.h"
#include "support/sandbox.h"

namespace {

using testing_support::ChildOutcome;
using testing_support::runInChild;

[[gnu::noinline]] int readThroughNull() {
  volatile int* pointer = nullptr;
  return *pointer;
}

[[gnu::noinline]] int divideByZero() {
  volatile int zero = 0;
  volatile int number = 7;
  return number / zero;
}

[[gnu::noinline]] void executeIllegalInstruction() { __builtin_trap(); }

struct SetOnDestruction {
  bool& flag;
  ~SetOnDestruction() { flag = true; }
};

[[gnu::noinline]] int readThroughNullHoldingAnObject(bool& destroyed) {
  SetOnDestruction local{destroyed};
  volatile int* pointer = nullptr;
  return *pointer;
}

// Deep enough to exhaust any stack; no object to destroy in its frames.
volatile int recursionEnd = -1;  // never reached
[[gnu::noinline]] int recurseWithoutEnd(int depth, volatile char* previous) {
  if (depth == recursionEnd) return 0;
  volatile char frame[512];
  frame[0] = static_cast<char>(depth);
  const int below = recurseWithoutEnd(depth + 1, frame);
  return below + frame[0] + (previous != nullptr ? previous[0] : 0);
}

[[gnu::noinline]] void faultInsideNoexcept() noexcept { readThroughNull(); }

// The vexception that a guarded body ends with; a failure when it ends normally.
vexception failureOf(const std::function<void()>& body) {
  return testing_support::failureOf([&] { vguard("FaultTest::run", 77, L"run()", body); });
}

bool faultSignalsBlocked() {
  sigset_t mask;
  sigemptyset(&mask);
  pthread_sigmask(SIG_BLOCK, nullptr, &mask);
  return sigismember(&mask, SIGSEGV) || sigismember(&mask, SIGFPE) || sigismember(&mask, SIGBUS) ||
         sigismember(&mask, SIGILL);
}

class FaultTranslation : public ::testing::Test {
 protected:
  // Every test installs again: a repeated installation must change nothing.
  void SetUp() override {
    installFaultTranslation();
    setCrashDumpHook(nullptr);
  }
  void TearDown() override { setCrashDumpHook(nullptr); }
};

TEST_F(FaultTranslation, EveryKindOfFaultCarriesItsCodeAndTheCallPoints) {
  vexception access = failureOf([] { vguard("FaultTest::inner", 12, L"inner()", [] { readThroughNull(); }); });
  EXPECT_EQ(access.message(), L"C structured exception: 0xc0000005");
  ASSERT_EQ(access.callPoints().size(), 2u);
  EXPECT_EQ(access.callPoints()[0].function, "FaultTest::inner");
  EXPECT_EQ(access.callPoints()[0].line, 12u);
  EXPECT_EQ(access.callPoints()[1].function, "FaultTest::run");
  EXPECT_EQ(access.fullText(),
            L"C structured exception: 0xc0000005\n   at inner()(FaultTest::inner line 12)\n"
            L"   at run()(FaultTest::run line 77)");

  // Outside every guard the thread has no translator again.
  EXPECT_EQ(currentSeTranslator(), nullptr);

  EXPECT_EQ(failureOf([] { executeIllegalInstruction(); }).message(), L"C structured exception: 0xc000001d");

  // Reading a mapped page beyond the end of its file is a bus error.
  testing_support::TempDir dir;
  const std::string path = dir / "empty";
  testing_support::writeFile(path, "");
  const int fd = open(path.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  void* page = mmap(nullptr, 4096, PROT_READ, MAP_SHARED, fd, 0);
  close(fd);
  ASSERT_NE(page, MAP_FAILED);
  vexception bus = failureOf([page] { (void)*static_cast<volatile const char*>(page); });
  munmap(page, 4096);
  EXPECT_EQ(bus.message(), L"C structured exception: 0xc0000006");
}

TEST_F(FaultTranslation, DestructorsOfTheFaultingFramesRun) {
  bool faultingFrameObject = false;
  bool bodyObject = false;
  vexception e = failureOf([&] {
    SetOnDestruction inBody{bodyObject};
    readThroughNullHoldingAnObject(faultingFrameObject);
  });
  EXPECT_EQ(e.message(), L"C structured exception: 0xc0000005");
  EXPECT_TRUE(faultingFrameObject);
  EXPECT_TRUE(bodyObject);
}

TEST_F(FaultTranslation, EveryFaultIsCaughtAgainAndTheSignalMaskIsRestored) {
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE(round);
    EXPECT_EQ(failureOf([] { readThroughNull(); }).message(), L"C structured exception: 0xc0000005");
    EXPECT_FALSE(faultSignalsBlocked());
    EXPECT_EQ(failureOf([] { divideByZero(); }).message(), L"C structured exception: 0xc0000094");
    EXPECT_FALSE(faultSignalsBlocked());
  }
}

// The hook sees the fault before the exception exists, with translation off.
struct HookRecord {
  int calls = 0;
  uint32_t code = 0;
  int signal = 0;
  uint32_t threadId = 0;
  bool contextGiven = false;
  SeTranslatorFunction translatorDuringHook = &seTranslator;
};
HookRecord hookRecord;

void recordingHook(void* exceptionPointers) {
  const auto* fault = static_cast<const FaultContext*>(exceptionPointers);
  ++hookRecord.calls;
  hookRecord.code = fault->code;
  hookRecord.signal = fault->signal;
  hookRecord.threadId = fault->threadId;
  hookRecord.contextGiven = fault->signalInfo != nullptr && fault->machineContext != nullptr;
  hookRecord.translatorDuringHook = currentSeTranslator();
}

TEST_F(FaultTranslation, TheCrashDumpHookGetsTheFaultWithTranslationOff) {
  hookRecord = HookRecord{};
  setCrashDumpHook(&recordingHook);
  SeTranslatorFunction translatorAfterInnerGuard = nullptr;
  vguard("FaultTest::outer", 1, L"", [&] {
    EXPECT_EQ(failureOf([] { divideByZero(); }).message(), L"C structured exception: 0xc0000094");
    translatorAfterInnerGuard = currentSeTranslator();
  });
  EXPECT_EQ(hookRecord.calls, 1);
  EXPECT_EQ(hookRecord.code, EXCEPTION_INT_DIVIDE_BY_ZERO);
  EXPECT_EQ(hookRecord.signal, SIGFPE);
  EXPECT_EQ(hookRecord.threadId, static_cast<uint32_t>(syscall(SYS_gettid)));
  EXPECT_TRUE(hookRecord.contextGiven);
  EXPECT_EQ(hookRecord.translatorDuringHook, nullptr);
  // The outer guard's translator is back once the inner guard is left.
  EXPECT_EQ(translatorAfterInnerGuard, &seTranslator);
}

void faultingHook(void*) { readThroughNull(); }

TEST_F(FaultTranslation, AFaultInsideTheHookIsDroppedAndTheOriginalFaultReported) {
  ChildOutcome outcome = runInChild([](const auto& report) {
    installFaultTranslation();
    setCrashDumpHook(&faultingHook);
    report(cstrLenient(failureOf([] { divideByZero(); }).message()));
    report("|");
    report(cstrLenient(failureOf([] { readThroughNull(); }).message()));
    return 0;
  });
  ASSERT_TRUE(outcome.exited) << "ended by signal " << outcome.signal;
  EXPECT_EQ(outcome.exitCode, 0);
  EXPECT_EQ(outcome.report, "C structured exception: 0xc0000094|C structured exception: 0xc0000005");
}

TEST_F(FaultTranslation, StackOverflowIsReportedAgainAndInAnotherThreadOnceItIsPrepared) {
  ChildOutcome outcome = runInChild([](const auto& report) {
    installFaultTranslation();
    for (int round = 0; round < 2; ++round) {
      report(cstrLenient(failureOf([] { recurseWithoutEnd(0, nullptr); }).message()) + "|");
    }
    // The thread works normally afterwards.
    report(cstrLenient(failureOf([] { readThroughNull(); }).message()) + "|");
    std::string seen;
    std::thread worker([&seen] {
      prepareThreadForFaultTranslation();
      seen = cstrLenient(failureOf([] { recurseWithoutEnd(0, nullptr); }).message()) + "|" +
             cstrLenient(failureOf([] { divideByZero(); }).message());
    });
    worker.join();
    report(seen);
    return 0;
  });
  ASSERT_TRUE(outcome.exited) << "ended by signal " << outcome.signal;
  EXPECT_EQ(outcome.report,
            "C structured exception: 0xc00000fd|C structured exception: 0xc00000fd|C structured exception: 0xc0000005|"
            "C structured exception: 0xc00000fd|C structured exception: 0xc0000094");
}

TEST_F(FaultTranslation, AFaultOutsideEveryGuardEndsTheProcessAsUsual) {
  ChildOutcome access = runInChild([](const auto&) {
    installFaultTranslation();
    return readThroughNull();
  });
  EXPECT_TRUE(access.signalled);
  EXPECT_EQ(access.signal, SIGSEGV);

  ChildOutcome division = runInChild([](const auto&) {
    installFaultTranslation();
    return divideByZero();
  });
  EXPECT_TRUE(division.signalled);
  EXPECT_EQ(division.signal, SIGFPE);
}

TEST_F(FaultTranslation, ASignalSentToTheProcessIsNotAFault) {
  ChildOutcome outcome = runInChild([](const auto& report) {
    installFaultTranslation();
    try {
      vguard("FaultTest::raise", 1, L"", [] { raise(SIGSEGV); });
    } catch (const vexception& e) {
      report(cstrLenient(e.message()));
    }
    return 0;
  });
  EXPECT_TRUE(outcome.signalled);
  EXPECT_EQ(outcome.signal, SIGSEGV);
  EXPECT_EQ(outcome.report, "");
}

TEST_F(FaultTranslation, AFaultThatCannotReachAHandlerEndsWithExitCodeOne) {
  ChildOutcome outcome = runInChild([](const auto&) {
    installFaultTranslation();
    // Leaving a noexcept function by an exception terminates; for a fault
    // that means exit code 1, not an abort.
    vguard("FaultTest::noexcept", 1, L"", [] { faultInsideNoexcept(); });
    return 0;
  });
  ASSERT_TRUE(outcome.exited) << "ended by signal " << outcome.signal;
  EXPECT_EQ(outcome.exitCode, 1);
}

}  // namespace
