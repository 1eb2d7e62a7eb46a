// The machine-wide named mutex on POSIX: other processes wait, a holder that
// died leaves it abandoned, and the owning thread may take it again.

#include "base/system/named_mutex.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "base/errors/win_error_codes.h"
#include "support/sandbox.h"

namespace {

using testing_support::Sandbox;

// The wait result a thread of its own gets for the mutex.
uint32_t waitFromAnotherThread(const std::wstring& name, uint32_t timeoutMs) {
  uint32_t result = WAIT_FAILED;
  std::thread([&] {
    NamedMutex other;
    other.open(name);
    uint32_t error = 0;
    result = other.wait(timeoutMs, &error);
  }).join();
  return result;
}

TEST(NamedMutex, LivesUnderTheSandboxRoot) {
  Sandbox sandbox;
  NamedMutex mutex;
  ASSERT_EQ(mutex.open(L"Global\\{6BFC2109-D683-451f-9ED2-D751D614C52B}"), 0u);
  EXPECT_TRUE(testing_support::pathExists(sandbox.path("run/halvo/locks/{6BFC2109-D683-451f-9ED2-D751D614C52B}.lock")));
}

TEST(NamedMutex, RecursiveForTheOwningThreadExclusiveForOthers) {
  Sandbox sandbox;
  NamedMutex first, second;
  ASSERT_EQ(first.open(L"Global\\test"), 0u);
  ASSERT_EQ(second.open(L"Global\\test"), 0u);
  uint32_t error = 0;
  EXPECT_EQ(first.wait(INFINITE_WAIT, &error), WAIT_OBJECT_0);
  EXPECT_EQ(second.wait(0, &error), WAIT_OBJECT_0);

  EXPECT_EQ(waitFromAnotherThread(L"Global\\test", 50), WAIT_TIMEOUT);
  // The lock stays until the last level is given back, whichever object held it.
  first.release();
  EXPECT_EQ(waitFromAnotherThread(L"Global\\test", 50), WAIT_TIMEOUT);
  second.release();
  EXPECT_EQ(waitFromAnotherThread(L"Global\\test", 1000), WAIT_OBJECT_0);
}

TEST(NamedMutex, AnotherProcessWaitsUntilRelease) {
  Sandbox sandbox;
  NamedMutex mutex;
  ASSERT_EQ(mutex.open(L"Global\\shared"), 0u);
  uint32_t error = 0;
  ASSERT_EQ(mutex.wait(INFINITE_WAIT, &error), WAIT_OBJECT_0);
  pid_t child = fork();
  if (child == 0) {
    NamedMutex other;
    other.open(L"Global\\shared");
    uint32_t e = 0;
    // Busy now; free after the parent's release.
    if (other.wait(100, &e) != WAIT_TIMEOUT) _exit(2);
    if (other.wait(10000, &e) != WAIT_OBJECT_0) _exit(3);
    _exit(0);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  mutex.release();
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(NamedMutex, HolderThatDiedLeavesItAbandoned) {
  Sandbox sandbox;
  pid_t child = fork();
  if (child == 0) {
    NamedMutex held;
    held.open(L"Global\\dying");
    uint32_t e = 0;
    held.wait(INFINITE_WAIT, &e);
    _exit(0);  // no release: destructors do not run
  }
  int status = 0;
  waitpid(child, &status, 0);
  NamedMutex mutex;
  ASSERT_EQ(mutex.open(L"Global\\dying"), 0u);
  uint32_t error = 0;
  EXPECT_EQ(mutex.wait(1000, &error), WAIT_ABANDONED);
  mutex.release();
  NamedMutex again;
  again.open(L"Global\\dying");
  EXPECT_EQ(again.wait(1000, &error), WAIT_OBJECT_0);
}

}  // namespace
