// The per-host reads of the check on several threads: every index once, and
// the failure a loop in order would have met first.

#include "check/parallel_for.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

namespace wc {

TEST(ParallelFor, EachIndexRunsOnceAndTheLowestFailureIsRethrown) {
  // Too few for threads, and enough for them.
  for (const size_t count : {size_t{20}, size_t{5000}}) {
    SCOPED_TRACE(count);
    const size_t firstFailing = count / 5;
    std::vector<std::atomic<int>> runs(count);
    try {
      parallelFor(count, [&](size_t i) {
        ++runs[i];
        // Most indexes fail, in whatever order the threads reach them.
        if (i >= firstFailing && i % 7 != 0) throw std::runtime_error(std::to_string(i));
      });
      ADD_FAILURE() << "nothing was rethrown";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()), std::to_string(firstFailing));
    }
    // A failure stops no other index, on one thread or several.
    for (size_t i = 0; i < count; ++i) ASSERT_EQ(runs[i], 1) << i;
  }
}

}  // namespace wc
