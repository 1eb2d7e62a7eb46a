// The program's printf: Windows semantics, type checks, and the growth limit.

#include "base/text/vaformat.h"

#include <gtest/gtest.h>

namespace wc {

namespace {

const std::wstring kError = L"Error on try call vaformat";

TEST(Vaformat, StringsOfBothWidths) {
  EXPECT_EQ(vaformat(L"start %s", std::wstring(L"wcadmin --install")), L"start wcadmin --install");
  EXPECT_EQ(vaformat(L"%s/%s", "narrow", L"wide"), L"narrow/wide");
  EXPECT_EQ(vaformat(L"[%5s|%-5s|%.2s]", L"ab", L"cd", L"xyz"), L"[   ab|cd   |xy]");
  EXPECT_EQ(vaformat(L"%s", static_cast<const wchar_t*>(nullptr)), L"(null)");
  EXPECT_EQ(vaformat(L"100%% of %s", L"x"), L"100% of x");
  // A value holding '%' is never a format.
  EXPECT_EQ(vaformat(L"%s", L"50%d"), L"50%d");
}

TEST(Vaformat, IntegersAreThirtyTwoBitsUnlessAskedOtherwise) {
  EXPECT_EQ(vaformat(L"end %s with code %d", L"cmd", 1), L"end cmd with code 1");
  EXPECT_EQ(vaformat(L"%d %i", -5, 7), L"-5 7");
  EXPECT_EQ(vaformat(L"%u", -1), L"4294967295");
  EXPECT_EQ(vaformat(L"%x %X", 255u, 0xC0000005u), L"ff C0000005");
  EXPECT_EQ(vaformat(L"%08X", 0x1234u), L"00001234");
  EXPECT_EQ(vaformat(L"%0lX", 0x80004005u), L"80004005");
  EXPECT_EQ(vaformat(L" (Error code %lu)", 2u), L" (Error code 2)");
  EXPECT_EQ(vaformat(L"%04d%02d%02d_%02d", 2026, 12, 4, 9), L"20261204_09");
  EXPECT_EQ(vaformat(L"%lld %I64u", -5000000000LL, 5000000000ULL), L"-5000000000 5000000000");
  EXPECT_EQ(vaformat(L"%d", 5000000000LL), L"705032704");
  EXPECT_EQ(vaformat(L"%+d|% d|%-4d|%4d", 3, 3, 3, -3), L"+3| 3|3   |  -3");
  EXPECT_EQ(vaformat(L"%#x %c", 255, L'A'), L"0xff A");
}

TEST(Vaformat, FormatsThatDoNotFitTheArgumentsGiveTheErrorText) {
  EXPECT_EQ(vaformat(L"%d"), kError);
  EXPECT_EQ(vaformat(L"%d", L"text"), kError);
  EXPECT_EQ(vaformat(L"%s", 5), kError);
  EXPECT_EQ(vaformat(L"%n", 5), kError);
  EXPECT_EQ(vaformat(L"trailing %"), kError);
}

TEST(Vaformat, GrowsByDoublingUpToTheLimit) {
  // Buffers of 100, 200, ... characters; the last below 10,485,760 holds 6,553,600.
  std::wstring fits(6553599, L'a');
  EXPECT_EQ(vaformat(L"%s", fits).size(), fits.size());
  EXPECT_EQ(vaformat(L"%s", std::wstring(6553600, L'a')), kError);
  EXPECT_EQ(vaformat(L"%s", std::wstring(10485760, L'a')), kError);
  EXPECT_EQ(vaformat(L"%s", std::wstring(99, L'b')).size(), 99u);
  EXPECT_EQ(vaformat(L"%s", std::wstring(100, L'b')).size(), 100u);
}

}  // namespace

}  // namespace wc
