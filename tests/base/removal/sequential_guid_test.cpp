// Identifiers of removal entries: their text form, their order and their
// uniqueness.

#include "base/removal/sequential_guid.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace wc {

namespace {

// The text form of the platform's GUIDs, version 7 and the RFC variant.
bool hasPlatformForm(const std::wstring& id) {
  static const std::wregex form(L"[0-9a-f]{8}-[0-9a-f]{4}-7[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}");
  return std::regex_match(id, form);
}

uint32_t fixedRandom() { return 0x2A5A5A5A; }

TEST(SequentialGuidTest, HasTheTextFormAndGrowsWithinAMillisecondWhenTheClockGoesBackAndAcrossTheProcess) {
  SequentialGuidGenerator generator(0xFFFFFFFF, [] { return 0xFFFFFFFFu; });
  const std::wstring id = generator.next(0x0190F5C28A1BULL);
  EXPECT_TRUE(hasPlatformForm(id)) << id.c_str();
  EXPECT_EQ(id.substr(0, 13), L"0190f5c2-8a1b");  // the time comes first

  SequentialGuidGenerator ordered(1234, fixedRandom);
  std::vector<std::wstring> ids;
  // More than the 4096 of one millisecond: the rest borrow the next ones.
  for (int i = 0; i < 5000; ++i) ids.push_back(ordered.next(1'700'000'000'000ULL));
  ids.push_back(ordered.next(1'600'000'000'000ULL));  // the clock went back
  ids.push_back(ordered.next(1'800'000'000'000ULL));
  for (size_t i = 1; i < ids.size(); ++i) ASSERT_LT(ids[i - 1], ids[i]) << "at " << i;
  // Processes making identifiers at once get different ones.
  SequentialGuidGenerator first(100, fixedRandom), second(101, fixedRandom);
  EXPECT_NE(first.next(1'700'000'000'000ULL), second.next(1'700'000'000'000ULL));

  // The process-wide generator: the platform's form, never a repeat.
  std::wstring last;
  for (int i = 0; i < 2000; ++i) {
    std::wstring made = createSequentialGuid();
    ASSERT_TRUE(hasPlatformForm(made) && last < made) << made.c_str();
    last = made;
  }
}

}  // namespace

}  // namespace wc
