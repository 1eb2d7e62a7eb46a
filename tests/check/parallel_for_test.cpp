// The per-host reads of the check on several threads: every index once, and
// the failure a loop in order would have met first.

#include "check/parallel_for.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

TEST(ParallelFor, EachIndexRunsOnceAndTheLowestFailureIsRethrown) {
  constexpr size_t kCount = 5000;
  std::vector<std::atomic<int>> runs(kCount);
  try {
    parallelFor(kCount, [&](size_t i) {
      ++runs[i];
      // Most indexes fail, in whatever order the threads reach them.
      if (i >= 1000 && i % 7 != 0) throw std::runtime_error(std::to_string(i));
    });
    ADD_FAILURE() << "nothing was rethrown";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "1000");
  }
  // One thread alone stops at the first failure.
  for (size_t i = 0; i < kCount; ++i) ASSERT_EQ(runs[i], i <= 1000 ? 1 : runs[i] & 1) << i;
}
