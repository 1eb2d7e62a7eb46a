// Case, splitting and order of wide strings, and decimal digits.

#include "base/text/strings.h"

#include <gtest/gtest.h>

namespace wc {

namespace {

TEST(Strings, CaseSplittingAndDigits) {
  EXPECT_EQ(lowerCase(L"Ab.TEST \u00DC"), L"ab.test \u00FC");
  EXPECT_TRUE(equalsIgnoreCase(L"Service", L"sERVICE"));
  EXPECT_FALSE(equalsIgnoreCase(L"Service", L"Services"));
  EXPECT_EQ(splitDroppingEmpty(L";a.test;;b.test\r\n\r\n", L";\r\n"),
            (std::vector<std::wstring>{L"a.test", L"b.test"}));
  char digits[20];
  EXPECT_EQ(std::string(digits, writeDecimal(0, digits)), "0");
  EXPECT_EQ(std::string(digits, writeDecimal(UINT64_MAX, digits)), "18446744073709551615");
}

// Windows compares names by UTF-16 code units; a wide character on Linux is a
// code point, and the order must not differ there.
TEST(Strings, Utf16OrderOnEveryPlatform) {
  struct Case {
    const wchar_t* lower;
    const wchar_t* higher;
  } cases[] = {
      {L"\U0001F600", L"\uFF01"},      // a surrogate pair before U+E000..U+FFFF
      {L"\uD7FF", L"\U00010000"},      // after everything below the surrogates
      {L"a\U0001F600", L"a\uE000"},    // at any position
      {L"\U0001F600", L"\U0001F601"},  // pairs among themselves by their low unit
      {L"--a", L"--a\U00010000"},      // a prefix first
      {L"", L"a"},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(utf16Less(c.lower, c.higher)) << testing::PrintToString(std::wstring(c.lower));
    EXPECT_FALSE(utf16Less(c.higher, c.lower)) << testing::PrintToString(std::wstring(c.lower));
    EXPECT_FALSE(utf16Less(c.lower, c.lower));
  }
}

}  // namespace

}  // namespace wc
