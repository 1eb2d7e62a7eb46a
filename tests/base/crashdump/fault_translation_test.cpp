// Processor faults inside guarded operations: they reach the caller as a
// vexception with the fault's code and the guards' call points, every time,
// with the destructors of the faulting frames run and the crash-dump hook
// called first.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "base/errors/fault_signals.h"
#include "base/errors/se_translator.h"
#include "base/errors/vguard.h"
#include "support/failures.h"

namespace wc {

namespace {

[[gnu::noinline]] int readThroughNull() {
  volatile int* pointer = nullptr;
  return *pointer;
}

[[gnu::noinline]] int divideByZero() {
  volatile int zero = 0;
  volatile int number = 7;
  return number / zero;
}

struct SetOnDestruction {
  bool& flag;
  ~SetOnDestruction() { flag = true; }
};

// The fault in a frame that has an object to destroy.
[[gnu::noinline]] int readThroughNullHoldingAnObject(bool& destroyed) {
  SetOnDestruction local{destroyed};
  volatile int* pointer = nullptr;
  return *pointer;
}

// The message of the vexception that a guarded body ends with.
std::wstring faultOf(const std::function<void()>& body) {
  return testing_support::failureOf([&] { vguard("FaultTest::run", 77, L"run()", body); }).message();
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

TEST_F(FaultTranslation, EveryFaultCarriesItsCodeAndTheCallPointsAgainAndAgain) {
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    const vexception access = testing_support::failureOf([] {
      vguard("FaultTest::run", 77, L"run()", [] {
        // A fault in the frame of the guard's own try.
        vguard("FaultTest::inner", 12, L"inner()", [] {
          volatile int* pointer = nullptr;
          (void)*pointer;
        });
      });
    });
    EXPECT_EQ(access.fullText(),
              L"C structured exception: 0xc0000005\n   at inner()(FaultTest::inner line 12)\n"
              L"   at run()(FaultTest::run line 77)");
    // Outside every guard the thread has no translator again.
    EXPECT_EQ(currentSeTranslator(), nullptr);
    EXPECT_EQ(faultOf(divideByZero), L"C structured exception: 0xc0000094");
    // Not inside the guard's own frame: g++ takes a trap for an instruction
    // that cannot throw, and keeps it out of the handlers' ranges.
    EXPECT_EQ(faultOf([] { __builtin_trap(); }), L"C structured exception: 0xc000001d");
    EXPECT_EQ(faultOf(readThroughNull), L"C structured exception: 0xc0000005");
  }
}

TEST_F(FaultTranslation, DestructorsOfTheFaultingFramesRun) {
  bool faultingFrameObject = false;
  bool bodyObject = false;
  EXPECT_EQ(faultOf([&] {
              SetOnDestruction inBody{bodyObject};
              readThroughNullHoldingAnObject(faultingFrameObject);
            }),
            L"C structured exception: 0xc0000005");
  EXPECT_TRUE(faultingFrameObject);
  EXPECT_TRUE(bodyObject);
}

int hookCalls = 0;
SeTranslatorFunction translatorDuringHook = &seTranslator;

void recordingHook(void* exceptionPointers) {
  if (exceptionPointers != nullptr) ++hookCalls;
  translatorDuringHook = currentSeTranslator();
}

void faultingHook(void*) { readThroughNull(); }

TEST_F(FaultTranslation, TheCrashDumpHookGetsTheFaultFirstWithTranslationOff) {
  setCrashDumpHook(&recordingHook);
  SeTranslatorFunction translatorAfterInnerGuard = nullptr;
  vguard("FaultTest::outer", 1, L"", [&] {
    EXPECT_EQ(faultOf(divideByZero), L"C structured exception: 0xc0000094");
    EXPECT_EQ(faultOf(readThroughNull), L"C structured exception: 0xc0000005");
    translatorAfterInnerGuard = currentSeTranslator();
  });
  EXPECT_EQ(hookCalls, 2);
  EXPECT_EQ(translatorDuringHook, nullptr);
  // The outer guard's translator is back once the inner guard is left.
  EXPECT_EQ(translatorAfterInnerGuard, &seTranslator);

  // A fault inside the hook is dropped and the original fault reported.
  setCrashDumpHook(&faultingHook);
  EXPECT_EQ(faultOf(divideByZero), L"C structured exception: 0xc0000094");
  EXPECT_EQ(faultOf(readThroughNull), L"C structured exception: 0xc0000005");
}

}  // namespace

}  // namespace wc
