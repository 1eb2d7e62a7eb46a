#include "base/idn/display_form.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <functional>
#include <optional>
#include <string>

#include "base/errors/vexception.h"
#include "base/idn/idna_platform.h"
#include "base/idn/os_version.h"
#include "base/text/unicode.h"
#include "support/failures.h"
#include "support/under_wine.h"

namespace wc {

namespace {

std::wstring failureOf(const std::function<void()>& call) { return testing_support::failureOf(call).message(); }

std::wstring displayFailure(const std::wstring& name, const std::wstring& why) {
  return L"Unable to convert a whole domain name '" + name + L"' into its Unicode form for human-readable display" +
         why;
}

TEST(ToDisplayForm, PunycodeLabelsBecomeUnicodeAsciiNamesStayAndInvalidPunycodeFails) {
  for (bool std3 : {false, true}) {
    EXPECT_EQ(toDisplayForm(L"xn--bcher-kva.test", std3), L"b\u00fccher.test");
    EXPECT_EQ(toDisplayForm(L"www.xn--e1afmkfd.xn--p1ai", std3),
              L"www.\u043f\u0440\u0438\u043c\u0435\u0440.\u0440\u0444");
    for (const wchar_t* name : {L"example.com", L"www.sub-domain.example.org", L"localhost", L"a1.b2.c3"}) {
      EXPECT_EQ(toDisplayForm(name, std3), name);
    }
  }
  const vexception e = testing_support::failureOf([] { toDisplayForm(L"xn--999999999999999.test", false); });
  EXPECT_EQ(e.message().rfind(displayFailure(L"xn--999999999999999.test", L""), 0), 0u);
  EXPECT_TRUE(e.callPoints().empty());
  const std::wstring broken(1, static_cast<wchar_t>(0xD800));
  EXPECT_EQ(failureOf([&] { toDisplayForm(broken + L".test", false); }),
            L"Maps a wide-character (Unicode) string to a character stringz");
}

// Plain lower-case names skip the conversion: on either side of that
// shortcut the result must be the conversion's.
TEST(ToDisplayForm, NamesNearThePlainFormGiveWhatTheConversionGives) {
  const std::wstring label63(63, L'a');
  for (const std::wstring& name :
       {std::wstring(L"Example.COM"), std::wstring(L"-ab.test"), std::wstring(L"ab-.test"),
        std::wstring(L"ab--cd.test"), std::wstring(L"a..b"), std::wstring(L"example.com."),
        std::wstring(L"xn--bcher-kva.test"), label63 + L".test", label63 + L"a.test", std::wstring(L"a_b.test")}) {
    std::optional<std::wstring> converted;
    try {
      const std::string utf8(name.begin(), name.end());
      converted = utf8ToWideLenient(nameToUnicodeUtf8(utf8, false));
    } catch (const vexception&) {
    }
    if (converted) {
      EXPECT_EQ(toDisplayForm(name, false), *converted) << name;
    } else {
      EXPECT_THROW(toDisplayForm(name, false), vexception) << name;
    }
  }
}

TEST(Uts46, ReportsTheErrorBitsAndEachFlagGetsAnInstanceOfItsOwn) {
  WC_SKIP_UNDER_WINE("neither icu.dll nor icuuc.dll: the UTS #46 conversion needs the system's ICU");
  EXPECT_EQ(failureOf([] { nameToUnicodeUts46("xn--999999999999999.test", false); }),
            displayFailure(L"xn--999999999999999.test",
                           L". IDNA error bit set: 256\n"
                           L"A label starts with \"xn--\" but does not contain valid Punycode.\n"));
  // STD3 rules refuse the underscore; without them it passes.
  EXPECT_EQ(nameToUnicodeUts46("a_b.test", false), "a_b.test");
  EXPECT_EQ(failureOf([] { nameToUnicodeUts46("a_b.test", true); }),
            displayFailure(L"a_b.test",
                           L". IDNA error bit set: 128\nA label or domain name contains disallowed characters.\n"));
  EXPECT_EQ(nameToUnicodeUts46("a_b.test", false), "a_b.test");
  // Unlike IDNA2003 it refuses a leading hyphen.
  EXPECT_THROW(nameToUnicodeUts46("-ab.test", false), vexception);
}

TEST(Idna2003, ConvertsAndNamesTheErrorOfAFailure) {
  EXPECT_EQ(nameToUnicodeIdna2003("xn--bcher-kva.test", false),
            "b\xC3\xBC"
            "cher.test");
  EXPECT_EQ(nameToUnicodeIdna2003("-ab.test", false), "-ab.test");
  std::string longName;
  for (int i = 0; i < 5; ++i) longName += std::string(60, 'a') + ".";
  longName += "test";  // 304 characters
  const std::wstring failure = failureOf([&] { nameToUnicodeIdna2003(longName, false); });
  EXPECT_TRUE(testing_support::holds(failure, displayFailure(std::wstring(longName.begin(), longName.end()),
                                                             L" using IDNA2003, name of the error code: ")))
      << failure.size();
}

TEST(OsVersion, Uts46FromVersion62OnAndTheSelectorFollowsTheSystem) {
  EXPECT_FALSE(usesUts46({5, 2}));
  EXPECT_FALSE(usesUts46({6, 1}));
  EXPECT_TRUE(usesUts46({6, 2}));
  EXPECT_TRUE(usesUts46({10, 0}));
  // Wine says 6.1 and has neither of the system's ICU libraries: there the
  // chain ends at IdnToUnicode, which takes the leading hyphen that UTS #46
  // refuses and, as measured there, neither a broken nor an upper-case ACE
  // label (error 123).
  if (runningUnderWine()) {
    EXPECT_FALSE(usesUts46(operatingSystemVersion()));
    EXPECT_FALSE(hasUts46());
    EXPECT_EQ(nameToUnicodeUtf8("-ab.test", false), "-ab.test");
    for (const wchar_t* name : {L"xn--zz", L"XN--BCHER-KVA.example"}) {
      const std::wstring failure = failureOf([&] { nameToUnicodeUtf8(std::string(name, name + wcslen(name)), false); });
      EXPECT_EQ(failure.rfind(displayFailure(name, L" using IDNA2003, name of the error code: "), 0), 0u) << failure;
      EXPECT_TRUE(testing_support::holds(failure, L"(Error code 123).")) << failure;
    }
  } else {
    EXPECT_THROW(nameToUnicodeUtf8("-ab.test", false), vexception);
  }
  EXPECT_EQ(nameToUnicodeUtf8("xn--bcher-kva.test", false),
            "b\xC3\xBC"
            "cher.test");
}

}  // namespace

}  // namespace wc
