// Conversions to and from the ANSI code page that fail with the program's
// messages.

#include "base/errors/strict_convert.h"

#include <gtest/gtest.h>

#include "base/errors/vexception.h"
#include "base/text/convert.h"
#include "support/failures.h"

namespace wc {

using testing_support::failureOf;

namespace {

TEST(Convert, AnsiRoundTripsAndFailuresCarryTheProgramsMessages) {
  EXPECT_EQ(wstr(cstr(L"b\u00FCcher")), L"b\u00FCcher");
  vexception e = failureOf([] { cstr(std::wstring(1, static_cast<wchar_t>(0xD800))); });
  EXPECT_EQ(e.message(), L"Maps a wide-character (Unicode) string to a character stringz");
  EXPECT_EQ(e.callPoints().at(0).function, "cstr");
}

}  // namespace

}  // namespace wc
