// On POSIX the ANSI code page is UTF-8, where some bytes are no text at all.

#include <gtest/gtest.h>

#include "base/errors/strict_convert.h"
#include "base/text/convert.h"
#include "support/failures.h"

namespace wc {

TEST(ConvertPosix, AnsiIsUtf8AndBytesThatAreNoUtf8Fail) {
  EXPECT_EQ(cstr(L"b\u00FCcher"),
            "b\xC3\xBC"
            "cher");
  vexception e = testing_support::failureOf([] { wstr("\xFF\xFE"); });
  EXPECT_EQ(e.message(), L"Maps a character string to a wide-character (Unicode) string failed");
  EXPECT_EQ(e.callPoints().at(0).function, "wstr");
  EXPECT_EQ(wstrLenient("a\xFF"), L"a\uFFFD");
}

}  // namespace wc
