#include "redirector/pending_keys.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace wc {

namespace {

using Remaining = std::vector<std::pair<std::string, size_t>>;

Remaining remaining(const PendingKeys& keys) {
  Remaining left;
  keys.forEachPending([&](const std::string& key, size_t position) { left.emplace_back(key, position); });
  return left;
}

TEST(PendingKeys, EachOccurrenceIsTakenOnceInOrderAndIsPendingTakesNothing) {
  PendingKeys keys;
  for (const char* key : {"x", "y", "x", "z", "x"}) keys.add(key);
  EXPECT_EQ(keys.take("x"), 0u);
  EXPECT_EQ(keys.take("zzz"), std::nullopt);
  EXPECT_EQ(remaining(keys), (Remaining{{"y", 1}, {"x", 2}, {"z", 3}, {"x", 4}}));
  EXPECT_EQ(keys.take("x"), 2u);
  EXPECT_EQ(keys.take("x"), 4u);
  EXPECT_EQ(keys.take("x"), std::nullopt);
  EXPECT_EQ(keys.take("z"), 3u);
  EXPECT_FALSE(keys.allTaken());
  EXPECT_EQ(keys.take("y"), 1u);
  EXPECT_TRUE(keys.allTaken());
  // A key added again after all its occurrences were taken is pending anew.
  keys.add("x");
  EXPECT_EQ(remaining(keys), (Remaining{{"x", 5}}));
  EXPECT_EQ(keys.take("x"), 5u);

  keys = PendingKeys();
  EXPECT_FALSE(keys.isPending("x"));
  for (const char* key : {"x", "y", "x"}) keys.add(key);
  EXPECT_TRUE(keys.isPending("x"));
  EXPECT_TRUE(keys.isPending("x"));  // asking took nothing
  EXPECT_FALSE(keys.isPending("z"));
  EXPECT_EQ(keys.take("x"), 0u);
  EXPECT_TRUE(keys.isPending("x"));  // the second occurrence
  EXPECT_EQ(keys.take("x"), 2u);
  EXPECT_FALSE(keys.isPending("x"));
  EXPECT_TRUE(keys.isPending("y"));
}

}  // namespace

}  // namespace wc
