// Case and splitting of wide strings.

#include "base/text/strings.h"

#include <gtest/gtest.h>

namespace {

TEST(Strings, CaseAndSplitting) {
  EXPECT_EQ(lowerCase(L"Ab.TEST \u00DC"), L"ab.test \u00FC");
  EXPECT_TRUE(equalsIgnoreCase(L"Service", L"sERVICE"));
  EXPECT_FALSE(equalsIgnoreCase(L"Service", L"Services"));
  std::vector<std::wstring> pieces = splitDroppingEmpty(L";a.test;;b.test\r\n\r\n", L";\r\n");
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[0], L"a.test");
  EXPECT_EQ(pieces[1], L"b.test");
}

}  // namespace
