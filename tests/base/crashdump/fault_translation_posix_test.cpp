// Processor faults as signals: the signal mask after one, a bus error, a
// stack overflow, and the faults and signals that are not translated and end
// the process as usual.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <thread>

#include "base/errors/fault_signals.h"
#include "base/errors/vguard.h"
#include "base/text/convert.h"
#include "support/child_process.h"
#include "support/failures.h"
#include "support/sandbox.h"

namespace wc {

namespace {

using testing_support::ChildOutcome;
using testing_support::runInChild;

[[gnu::noinline]] int readThroughNull() {
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

std::string faultOf(const std::function<void()>& body) {
  return cstrLenient(testing_support::failureOf([&] { vguard("FaultTest::run", 77, L"run()", body); }).message());
}

TEST(FaultSignals, ABusErrorIsTranslatedAndNoFaultSignalStaysBlocked) {
  installFaultTranslation();
  // Reading a mapped page beyond the end of its file is a bus error.
  testing_support::TempDir dir;
  testing_support::writeFile(dir / "empty", "");
  const int fd = open((dir / "empty").c_str(), O_RDONLY);
  void* page = mmap(nullptr, 4096, PROT_READ, MAP_SHARED, fd, 0);
  close(fd);
  ASSERT_NE(page, MAP_FAILED);
  EXPECT_EQ(faultOf([page] { (void)*static_cast<volatile const char*>(page); }), "C structured exception: 0xc0000006");
  munmap(page, 4096);

  sigset_t mask;
  pthread_sigmask(SIG_BLOCK, nullptr, &mask);
  for (int signal : {SIGSEGV, SIGFPE, SIGBUS, SIGILL}) EXPECT_FALSE(sigismember(&mask, signal)) << signal;
}

TEST(FaultSignals, StackOverflowIsReportedAgainAndInAnotherThreadOnceItIsPrepared) {
  ChildOutcome outcome = runInChild([](const auto& report) {
    installFaultTranslation();
    for (int round = 0; round < 2; ++round) report(faultOf([] { recurseWithoutEnd(0, nullptr); }) + "|");
    // The thread works normally afterwards.
    report(faultOf(readThroughNull) + "|");
    std::string seen;
    std::thread worker([&seen] {
      prepareThreadForFaultTranslation();
      seen = faultOf([] { recurseWithoutEnd(0, nullptr); });
    });
    worker.join();
    report(seen);
    return 0;
  });
  ASSERT_TRUE(outcome.exited) << "ended by signal " << outcome.signal;
  EXPECT_EQ(outcome.report,
            "C structured exception: 0xc00000fd|C structured exception: 0xc00000fd|C structured exception: 0xc0000005|"
            "C structured exception: 0xc00000fd");
}

TEST(FaultSignals, WhatIsNotTranslatedEndsTheProcessAsUsual) {
  // A fault outside every guard.
  ChildOutcome access = runInChild([](const auto&) {
    installFaultTranslation();
    return readThroughNull();
  });
  EXPECT_TRUE(access.signalled);
  EXPECT_EQ(access.signal, SIGSEGV);

  // A signal sent to the process is no fault.
  ChildOutcome sent = runInChild([](const auto& report) {
    installFaultTranslation();
    report(faultOf([] { raise(SIGSEGV); }));
    return 0;
  });
  EXPECT_TRUE(sent.signalled);
  EXPECT_EQ(sent.signal, SIGSEGV);
  EXPECT_EQ(sent.report, "");

  // Leaving a noexcept function by an exception terminates; for a fault that
  // means exit code 1, not an abort.
  ChildOutcome unreachable = runInChild([](const auto&) {
    installFaultTranslation();
    vguard("FaultTest::noexcept", 1, L"", [] { faultInsideNoexcept(); });
    return 0;
  });
  ASSERT_TRUE(unreachable.exited) << "ended by signal " << unreachable.signal;
  EXPECT_EQ(unreachable.exitCode, 1);
}

}  // namespace

}  // namespace wc
