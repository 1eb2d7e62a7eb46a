// The named mutex's POSIX stand-in: a lock file under the sandbox root, which
// another process waits for and which a holder that died leaves abandoned.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "base/errors/win_error_codes.h"
#include "base/system/named_mutex.h"
#include "support/sandbox.h"

namespace wc {

TEST(NamedMutexPosix, AnotherProcessWaitsUntilReleaseAndItsDeathAbandonsTheMutex) {
  testing_support::Sandbox sandbox;
  NamedMutex mutex;
  ASSERT_EQ(mutex.open(L"Global\\{6BFC2109-D683-451f-9ED2-D751D614C52B}"), 0u);
  EXPECT_TRUE(testing_support::pathExists(sandbox.path("run/halvo/locks/{6BFC2109-D683-451f-9ED2-D751D614C52B}.lock")));
  uint32_t error = 0;
  ASSERT_EQ(mutex.wait(INFINITE_WAIT, &error), WAIT_OBJECT_0);
  pid_t child = fork();
  if (child == 0) {
    NamedMutex other;
    other.open(L"Global\\{6BFC2109-D683-451f-9ED2-D751D614C52B}");
    uint32_t e = 0;
    // Busy now; free after the parent's release; then held until the end.
    if (other.wait(100, &e) != WAIT_TIMEOUT) _exit(2);
    if (other.wait(10000, &e) != WAIT_OBJECT_0) _exit(3);
    _exit(0);  // no release: destructors do not run
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  mutex.release();
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);

  EXPECT_EQ(mutex.wait(1000, &error), WAIT_ABANDONED);
  mutex.release();
  EXPECT_EQ(mutex.wait(1000, &error), WAIT_OBJECT_0);
}

}  // namespace wc
