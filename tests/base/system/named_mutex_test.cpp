// The machine-wide named mutex: recursive for the owning thread, exclusive
// for every other.

#include "base/system/named_mutex.h"

#include <gtest/gtest.h>

#include <thread>

#include "base/errors/win_error_codes.h"
#include "support/sandbox.h"

namespace wc {

namespace {

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

TEST(NamedMutex, RecursiveForTheOwningThreadExclusiveForOthers) {
  testing_support::Sandbox sandbox;
  const std::wstring name = L"Global\\wc-test-recursive";
  NamedMutex first, second;
  ASSERT_EQ(first.open(name), 0u);
  ASSERT_EQ(second.open(name), 0u);
  uint32_t error = 0;
  EXPECT_EQ(first.wait(INFINITE_WAIT, &error), WAIT_OBJECT_0);
  EXPECT_EQ(second.wait(0, &error), WAIT_OBJECT_0);

  EXPECT_EQ(waitFromAnotherThread(name, 50), WAIT_TIMEOUT);
  // The lock stays until the last level is given back, whichever object held it.
  first.release();
  EXPECT_EQ(waitFromAnotherThread(name, 50), WAIT_TIMEOUT);
  second.release();
  EXPECT_EQ(waitFromAnotherThread(name, 1000), WAIT_OBJECT_0);
}

}  // namespace

}  // namespace wc
