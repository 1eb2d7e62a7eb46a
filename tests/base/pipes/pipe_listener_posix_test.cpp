// The listener when the process has no descriptor left for a client.

#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

#include "base/pipes/pipe_io.h"
#include "base/pipes/pipe_server.h"
#include "support/sandbox.h"

namespace wc {

namespace {

using namespace testing_support;
using namespace std::chrono_literals;

const std::wstring kPipe = L"\\\\.\\pipe\\wc-descriptors";

// The CPU time the thread has used; -1 ms when there is no clock for it.
std::chrono::milliseconds cpuTimeOf(std::thread& thread) {
  clockid_t clock;
  timespec used{};
  if (pthread_getcpuclockid(thread.native_handle(), &clock) != 0 || clock_gettime(clock, &used) != 0) return -1ms;
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::seconds(used.tv_sec) +
                                                               std::chrono::nanoseconds(used.tv_nsec));
}

TEST(PipeListenerPosixTest, OutOfDescriptorsAcceptWaitsAndTakesTheClientOnceOneIsFree) {
  Sandbox sandbox;
  Con::PipeListener listener(kPipe);
  Con::os::UniqueHandle client;
  ASSERT_EQ(Con::os::openPipe(kPipe, Con::os::kGenericRead | Con::os::kGenericWrite, client), 0u);

  // Every descriptor below the lowest free one is taken: a limit there
  // leaves none for the connection.
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &old), 0);
  const int lowestFree = dup(0);
  ASSERT_GE(lowestFree, 0);
  close(lowestFree);
  rlimit none = old;
  none.rlim_cur = static_cast<rlim_t>(lowestFree);

  // While no descriptor is left, both threads only sleep, poll and look at
  // atomics: the sanitizers' checks of other calls need descriptors too.
  enum Outcome { kPending, kConnection, kNone };
  std::atomic<bool> limited{false};
  std::atomic<int> outcome{kPending};
  std::thread server([&] {
    while (!limited) std::this_thread::sleep_for(1ms);
    outcome = listener.accept() ? kConnection : kNone;
  });

  const bool lowered = setrlimit(RLIMIT_NOFILE, &none) == 0;
  limited = true;
  const auto from = cpuTimeOf(server);
  std::this_thread::sleep_for(500ms);
  const int meanwhile = outcome;
  const auto to = cpuTimeOf(server);
  const bool restored = setrlimit(RLIMIT_NOFILE, &old) == 0;

  for (int i = 0; i < 1000 && outcome == kPending; ++i) std::this_thread::sleep_for(10ms);
  if (outcome == kPending) listener.stop();
  server.join();
  ASSERT_TRUE(lowered && restored);
  EXPECT_EQ(meanwhile, kPending) << "accept returned without a descriptor for the client";
  // A loop around the failing accept burns the half second it was given.
  ASSERT_GE(from, 0ms);
  EXPECT_LT(to - from, 100ms);
  EXPECT_EQ(outcome, kConnection) << "the client was not taken once a descriptor was free";
}

}  // namespace

}  // namespace wc
