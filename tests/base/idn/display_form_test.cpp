#include "base/idn/display_form.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "base/errors/vexception.h"
#include "base/idn/os_version.h"
#include "support/failures.h"

namespace {

const std::wstring kDisplayFailure =
    L"Unable to convert a whole domain name '%NAME%' into its Unicode form for human-readable display. ";

std::wstring withName(std::wstring text, const std::wstring& name) {
  return text.replace(text.find(L"%NAME%"), 6, name);
}

std::wstring failureOf(const std::function<void()>& call) { return testing_support::failureOf(call).message(); }

TEST(ToDisplayForm, PunycodeLabelsBecomeUnicodeAsciiNamesStayAndInvalidPunycodeReportsTheErrorBit) {
  EXPECT_EQ(toDisplayForm(L"xn--bcher-kva.test", false), L"b\u00fccher.test");
  EXPECT_EQ(toDisplayForm(L"www.xn--e1afmkfd.xn--p1ai", false),
            L"www.\u043f\u0440\u0438\u043c\u0435\u0440.\u0440\u0444");
  for (const wchar_t* name : {L"example.com", L"www.sub-domain.example.org", L"localhost", L"a1.b2.c3"}) {
    EXPECT_EQ(toDisplayForm(name, false), name);
  }
  const std::wstring name = L"xn--999999999999999.test";
  const vexception e = testing_support::failureOf([&] { toDisplayForm(name, false); });
  EXPECT_EQ(e.message(), withName(kDisplayFailure, name) +
                             L"IDNA error bit set: 256\n"
                             L"A label starts with \"xn--\" but does not contain valid Punycode.\n");
  EXPECT_TRUE(e.callPoints().empty());
}

TEST(ToDisplayForm, EachFlagGetsAnInstanceOfItsOwn) {
  // STD3 rules refuse the underscore; without them it passes.
  EXPECT_EQ(toDisplayForm(L"a_b.test", false), L"a_b.test");
  const std::wstring strict = failureOf([] { toDisplayForm(L"a_b.test", true); });
  EXPECT_EQ(strict, withName(kDisplayFailure, L"a_b.test") +
                        L"IDNA error bit set: 128\nA label or domain name contains disallowed characters.\n");
  EXPECT_EQ(toDisplayForm(L"a_b.test", false), L"a_b.test");
  EXPECT_EQ(toDisplayForm(L"xn--bcher-kva.test", true), L"b\u00fccher.test");
}

TEST(ToDisplayForm, AWideNameWithoutUtf8FormFails) {
  const std::wstring broken(1, static_cast<wchar_t>(0xD800));
  EXPECT_EQ(failureOf([&] { toDisplayForm(broken + L".test", false); }),
            L"Maps a wide-character (Unicode) string to a character stringz");
}

TEST(IdnaErrorBitsText, OneLinePerBitInBitOrder) {
  EXPECT_EQ(idnaErrorBitsText(0x10 | 0x8),
            L"A label starts with a hyphen-minus ('-').\nA label ends with a hyphen-minus ('-').\n");
  EXPECT_EQ(idnaErrorBitsText(0x4000 | 0x1),
            L"A non-final domain name label (or the whole domain name) is empty.\n"
            L"A label does not meet the IDNA CONTEXTO requirements for digits.\n");
  EXPECT_EQ(idnaErrorBitsText(0), L"Unspecified or empty IDNA error bit set.");
  EXPECT_EQ(idnaErrorBitsText(0x8000), L"Unspecified or empty IDNA error bit set.");
}

TEST(Idna2003, ConvertsAndReportsFailuresByTheIcuErrorName) {
  EXPECT_EQ(nameToUnicodeIdna2003("xn--bcher-kva.test", false),
            "b\xC3\xBC"
            "cher.test");
  std::string longName;
  for (int i = 0; i < 5; ++i) longName += std::string(60, 'a') + ".";
  longName += "test";  // 304 characters
  EXPECT_EQ(failureOf([&] { nameToUnicodeIdna2003(longName, false); }),
            L"Unable to convert a whole domain name '" + std::wstring(longName.begin(), longName.end()) +
                L"' into its Unicode form for human-readable display using IDNA2003, name of the error code: "
                L"U_IDNA_DOMAIN_NAME_TOO_LONG_ERROR.");
}

TEST(OsVersion, Uts46FromVersion62On) {
  EXPECT_FALSE(usesUts46({5, 2}));
  EXPECT_FALSE(usesUts46({6, 1}));
  EXPECT_TRUE(usesUts46({6, 2}));
  EXPECT_TRUE(usesUts46({10, 0}));
  // The selector follows the system, here UTS #46: unlike IDNA2003 it
  // refuses a leading hyphen.
  EXPECT_TRUE(usesUts46(operatingSystemVersion()));
  EXPECT_EQ(nameToUnicodeIdna2003("-ab.test", false), "-ab.test");
  EXPECT_THROW(nameToUnicodeUtf8("-ab.test", false), vexception);
  EXPECT_EQ(nameToUnicodeUtf8("xn--bcher-kva.test", false),
            "b\xC3\xBC"
            "cher.test");
}

}  // namespace
