#include "base/registry/value_data.h"

#include <gtest/gtest.h>

#include "base/registry/registry.h"

namespace wc {

using namespace registry;

TEST(ValueData, StringsAreUtf16WithTerminatorAndDecodingStopsAtTheFirstNulAndDropsAnOddByte) {
  EXPECT_EQ(encodeString(L"A\u00e9"), std::string("A\0\xe9\0\0\0", 6));
  EXPECT_EQ(decodeString(encodeString(L"caf\u00e9 \U0001F600")), L"caf\u00e9 \U0001F600");
  // A character outside the BMP takes a surrogate pair.
  EXPECT_EQ(encodeString(L"\U0001F600").size(), 6u);
  // Decoding stops at the first NUL and drops an odd byte.
  EXPECT_EQ(decodeString(std::string("a\0b\0\0\0c\0", 8)), L"ab");
  EXPECT_EQ(decodeString(std::string("a\0b\0c", 5)), L"ab");  // no terminator, odd tail
  EXPECT_EQ(decodeString(std::string()), L"");
  EXPECT_EQ(decodeString(std::string("\x3d\xd8x\0", 4)), L"\ufffdx");  // lone high surrogate
}

TEST(ValueData, MultiStrings) {
  std::vector<std::wstring> items{L"one", L"two", L"\u00fc"};
  std::string bytes = encodeMultiString(items);
  EXPECT_EQ(bytes.substr(bytes.size() - 4), std::string(4, '\0'));
  EXPECT_EQ(decodeMultiString(bytes), items);
  EXPECT_TRUE(decodeMultiString(encodeMultiString({})).empty());
  // The list ends at the first empty item, whatever follows.
  EXPECT_EQ(decodeMultiString(std::string("a\0\0\0\0\0b\0\0\0", 10)), std::vector<std::wstring>{L"a"});
  EXPECT_EQ(decodeMultiString(std::string("a\0\0\0b\0\0\0", 8)), (std::vector<std::wstring>{L"a", L"b"}));
  // An unterminated last item still counts.
  EXPECT_EQ(decodeMultiString(std::string("a\0b\0", 4)), std::vector<std::wstring>{L"ab"});
}

TEST(ValueData, PlainStringsAreThoseAQuotedTextKeepsWhole) {
  EXPECT_TRUE(isPlainString(encodeString(L"C:\\a \"b\"\tc")));
  EXPECT_TRUE(isPlainString(encodeString(L"")));
  EXPECT_FALSE(isPlainString(encodeString(L"two\nlines")));
  EXPECT_FALSE(isPlainString(std::string("a\0\0\0b\0\0\0", 8)));  // inner NUL
  EXPECT_FALSE(isPlainString(std::string("a\0b\0", 4)));          // no terminator
  EXPECT_FALSE(isPlainString(std::string("a\0\0", 3)));           // odd size
  EXPECT_FALSE(isPlainString(std::string("\x3d\xd8\0\0", 4)));    // lone surrogate
}

}  // namespace wc
