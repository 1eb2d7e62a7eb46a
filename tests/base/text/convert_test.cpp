// Conversions between wide strings and byte encodings.

#include "base/text/convert.h"

#include <gtest/gtest.h>

#include "base/text/strings.h"
#include "base/text/unicode.h"

namespace {

TEST(Convert, Utf16LittleEndianRoundTrip) {
  std::wstring text = L"A\u00FC\U0001F600";
  std::string bytes = wideToUtf16le(text);
  EXPECT_EQ(bytes, std::string("A\0\xFC\0\x3D\xD8\x00\xDE", 8));
  EXPECT_EQ(utf16leToWide(bytes).value(), text);
  EXPECT_FALSE(utf16leToWide(std::string("A", 1)).has_value());
}

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
