#include "redirector/comma_list.h"

#include <gtest/gtest.h>

#include "base/errors/strict_convert.h"
#include "base/errors/vexception.h"

namespace wc {

namespace {

TEST(CommaList, AddRemoveAndReplaceWorkOnWholeItems) {
  EXPECT_EQ(addListItem("ajp13", L"ajp13"), "ajp13");
  EXPECT_EQ(addListItem("ajp13,,x", L"y"), "ajp13,x,y");
  EXPECT_EQ(addListItem("", L"a"), "a");
  EXPECT_EQ(addListItem("a,b", L"A"), "a,b,A");     // case matters
  EXPECT_EQ(addListItem("a, b", L"b"), "a, b,b");   // items are not trimmed
  EXPECT_EQ(addListItem(",a,,b,", L"b"), "a,b");    // unchanged lists lose empty items
  EXPECT_EQ(removeListItem("a,b,a", L"a"), "b,a");  // the first equal item only
  EXPECT_EQ(removeListItem("ajp13,Ab_test", L"Ab_test"), "ajp13");
  EXPECT_EQ(removeListItem("x", L"x"), "");
  EXPECT_EQ(removeListItem("a,,b", L"c"), "a,b");
  EXPECT_EQ(removeListItem("ab,abc", L"abc"), "ab");  // whole items, not prefixes
  EXPECT_EQ(replaceListItem("ajp13,old_test,other", L"old_test", L"new_test"), "ajp13,new_test,other");
  EXPECT_EQ(replaceListItem("a,b,a", L"a", L"c"), "c,b,a");
  EXPECT_EQ(replaceListItem("a,,b", L"missing", L"c"), "a,b");
}

TEST(CommaList, ValuesAreTextInTheCodePage) {
  const std::string cafe = cstr(L"caf\u00E9");
  EXPECT_EQ(addListItem(cafe, L"na\u00EFve"), cafe + "," + cstr(L"na\u00EFve"));
  EXPECT_EQ(removeListItem(cafe + ",x", L"caf\u00E9"), "x");
  // Bytes that are no text in the code page (in UTF-8; a single-byte code
  // page may hold them all) fail rather than turn into other characters.
  const auto fails = [](auto&& call) {
    try {
      call();
    } catch (const vexception&) {
      return true;
    }
    return false;
  };
  EXPECT_EQ(fails([] { addListItem("a,\xFF\xFE", L"b"); }), fails([] { wstr("\xFF\xFE"); }));
}

}  // namespace

}  // namespace wc
