#include "redirector/comma_list.h"

#include <gtest/gtest.h>

#include "base/errors/vexception.h"

namespace {

TEST(CommaList, AddAppendsOnlyANewItem) {
  EXPECT_EQ(addListItem("ajp13", L"ajp13"), "ajp13");
  EXPECT_EQ(addListItem("ajp13,,x", L"y"), "ajp13,x,y");
  EXPECT_EQ(addListItem("", L"a"), "a");
  EXPECT_EQ(addListItem("a,b", L"A"), "a,b,A");    // case matters
  EXPECT_EQ(addListItem("a, b", L"b"), "a, b,b");  // items are not trimmed
  EXPECT_EQ(addListItem(",a,,b,", L"b"), "a,b");   // unchanged lists lose empty items
}

TEST(CommaList, RemoveDropsTheFirstEqualItemOnly) {
  EXPECT_EQ(removeListItem("a,b,a", L"a"), "b,a");
  EXPECT_EQ(removeListItem("ajp13,Ab_test", L"Ab_test"), "ajp13");
  EXPECT_EQ(removeListItem("x", L"x"), "");
  EXPECT_EQ(removeListItem("a,,b", L"c"), "a,b");
  EXPECT_EQ(removeListItem("ab,abc", L"abc"), "ab");  // whole items, not prefixes
}

TEST(CommaList, ReplaceKeepsThePlace) {
  EXPECT_EQ(replaceListItem("ajp13,old_test,other", L"old_test", L"new_test"), "ajp13,new_test,other");
  EXPECT_EQ(replaceListItem("a,b,a", L"a", L"c"), "c,b,a");
  EXPECT_EQ(replaceListItem("a,,b", L"missing", L"c"), "a,b");
}

TEST(CommaList, ValuesRoundTripThroughTheCodePage) {
  EXPECT_EQ(addListItem("caf\xC3\xA9", L"na\u00EFve"), "caf\xC3\xA9,na\xC3\xAFve");
  EXPECT_EQ(removeListItem("caf\xC3\xA9,x", L"caf\u00E9"), "x");
}

TEST(CommaList, ValueThatIsNotTextFails) { EXPECT_THROW(addListItem("a,\xFF\xFE", L"b"), vexception); }

}  // namespace
