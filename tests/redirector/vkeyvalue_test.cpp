#include "redirector/vkeyvalue.h"

#include <gtest/gtest.h>

namespace wc {

namespace {

using Line = vkeyvalue<'#'>;

TEST(KeyValueLine, ParsesKeyValueAndCommentAndComposesTheTextAgain) {
  struct {
    const char* text;
    const char* key;
    const char* value;
    const char* comment;
  } const cases[] = {
      {"worker.list=ajp13,example_com", "worker.list", "ajp13,example_com", ""},
      {"a=b#c", "a", "b#c", ""},  // '#' after '=' belongs to the value
      {"abc#def", "abc", "", "def"},
      {"#x=y", "", "", "x=y"},     // '=' after '#' belongs to the comment
      {"k =v", "k ", "v", ""},     // blanks are not trimmed
      {"plain text", "", "", ""},  // neither: no key at all
      {"k==v", "k", "=v", ""},
      {"", "", "", ""},
      {"=", "", "", ""},
      {"#", "", "", ""},
      {"k#c=v#d", "k", "", "c=v#d"},
  };
  Line line("stale=value#and comment");  // one record reused, as a walk does
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    line.parse(c.text);
    EXPECT_EQ(line.key, c.key);
    EXPECT_EQ(line.value, c.value);
    EXPECT_EQ(line.comment, c.comment);
    EXPECT_EQ(line.text, c.text);
    // Walks choose their lines by this key before parsing them.
    EXPECT_EQ(Line::keyOf(c.text), c.key);
  }

  line.parse("key=old");
  line.value = "new";
  line.compose();
  EXPECT_EQ(line.text, "key=new");
  line.value.clear();
  line.compose();
  EXPECT_EQ(line.text, "key");  // an emptied value drops the '=' too

  Line commented("abc#def");
  commented.key = "xyz";
  commented.compose();
  EXPECT_EQ(commented.text, "xyz#def");
  EXPECT_EQ(Line("worker.x.port", "9008").text, "worker.x.port=9008");
}

}  // namespace

}  // namespace wc
