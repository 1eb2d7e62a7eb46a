// Conversions between wide strings and byte encodings.

#include "base/text/convert.h"

#include <gtest/gtest.h>

#include "base/errors/vexception.h"
#include "base/text/strings.h"
#include "base/text/unicode.h"

namespace {

TEST(Convert, AnsiIsUtf8AndFailuresCarryTheProgramsMessages) {
  EXPECT_EQ(wstr("b\xC3\xBC"
                 "cher"),
            L"b\u00FCcher");
  EXPECT_EQ(cstr(L"b\u00FCcher"),
            "b\xC3\xBC"
            "cher");
  try {
    wstr("\xFF\xFE");
    FAIL();
  } catch (const vexception& e) {
    EXPECT_EQ(e.message(), L"Maps a character string to a wide-character (Unicode) string failed");
    EXPECT_EQ(e.callPoints().at(0).function, "wstr");
  }
  try {
    cstr(std::wstring(1, static_cast<wchar_t>(0xD800)));
    FAIL();
  } catch (const vexception& e) {
    EXPECT_EQ(e.message(), L"Maps a wide-character (Unicode) string to a character stringz");
    EXPECT_EQ(e.callPoints().at(0).function, "cstr");
  }
  EXPECT_EQ(wstrLenient("a\xFF"), L"a\uFFFD");
}

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
