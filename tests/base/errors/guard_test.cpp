// The operation guard: what escapes a guarded body and how it reads.

#include <gtest/gtest.h>

#include <stdexcept>

#include "base/errors/com_error.h"
#include "base/errors/os_error.h"
#include "base/errors/vguard.h"
#include "support/failures.h"

namespace wc {

using testing_support::failureOf;

namespace {

void throwFileNotFound() { throwOsError(L"Open file 'x' to read", ERROR_FILE_NOT_FOUND, VCALLPOINT(L"", "inner")); }

TEST(Guard, SubclassIsCaughtInsideTheBodyButNotOutsideTheGuard) {
  bool caughtInside = false;
  vguard("op", 10, L"ctx", [&] {
    try {
      throwFileNotFound();
    } catch (const VFileNotFoundException&) {
      caughtInside = true;
    }
  });
  EXPECT_TRUE(caughtInside);
  // Outside it is a plain vexception with the guard's call point added.
  try {
    vguard("op", 10, L"ctx", [] { throwFileNotFound(); });
  } catch (const VFileNotFoundException&) {
    ADD_FAILURE() << "the subclass left the guard";
  } catch (const vexception& e) {
    ASSERT_EQ(e.callPoints().size(), 2u);
    EXPECT_EQ(e.callPoints()[0].function, "inner");
    EXPECT_EQ(e.callPoints()[1].function, "op");
  }
}

TEST(Guard, CallPointsStandInnermostFirstInTheFullText) {
  const std::wstring text = testing_support::failureTextOf([] {
    vguard(
        "outer::op", 20, [] { return std::wstring(L"outer(a)"); },
        [] { vguard("inner::op", 7, L"inner()", [] { throw vexception(L"boom", VCALLPOINT(L"", "thrower")); }); });
  });
  EXPECT_EQ(text.rfind(L"boom\n   at (thrower line ", 0), 0u);
  EXPECT_TRUE(testing_support::holds(text, L")\n   at inner()(inner::op line 7)\n   at outer(a)(outer::op line 20)"));
}

TEST(Guard, ConvertsEveryKindOfFailure) {
  auto guarded = [](auto body) { return failureOf([&] { vguard("f", 1, L"c", body); }); };
  vexception std = guarded([] { throw std::runtime_error("bad thing"); });
  EXPECT_EQ(std.message(), L"bad thing");
  ASSERT_EQ(std.callPoints().size(), 1u);
  EXPECT_EQ(std.callPoints()[0].context, L"c");

  EXPECT_EQ(guarded([] { throw std::runtime_error(""); }).message(), L"");
  EXPECT_EQ(guarded([] { throw cwrpexception{0xC0000005}; }).message(), L"C structured exception: 0xc0000005");
  EXPECT_EQ(guarded([] { throw 42; }).message(), L"Unexpected error");

  vexception com = guarded([] { throw ComError(0x80004005, L"it broke"); });
  EXPECT_EQ(com.fullText(), ComError(0x80004005).errorMessage() +
                                L" (COM Error 80004005, Description: it broke)\n   at c\n   at (f line 1)");
}

TEST(Guard, ContextIsBuiltOnlyOnFailureAndItsOwnFailureWins) {
  int built = 0;
  auto context = [&] {
    ++built;
    return std::wstring(L"ctx");
  };
  EXPECT_EQ(vguard("f", 1, context, [] { return 5; }), 5);
  EXPECT_EQ(built, 0);

  EXPECT_EQ(failureOf([] {
              vguard(
                  "f", 1, []() -> std::wstring { throw vexception(L"cannot display"); },
                  [] { throw vexception(L"original"); });
            }).message(),
            L"cannot display");
}

TEST(Guard, InstallsTheTranslatorForTheBodyAndRestoresIt) {
  EXPECT_EQ(currentSeTranslator(), nullptr);
  vguard("f", 1, L"", [] { EXPECT_EQ(currentSeTranslator(), &seTranslator); });
  EXPECT_EQ(currentSeTranslator(), nullptr);
  EXPECT_THROW(vguard("f", 1, L"", [] { throw 1; }), vexception);
  EXPECT_EQ(currentSeTranslator(), nullptr);
}

TEST(ComErrors, MessageTextForUnknownResults) {
  EXPECT_EQ(ComError(0x80040201).errorMessage(), L"IDispatch error #1");
  EXPECT_EQ(ComError(0x80040200).errorMessage(), L"Unknown error 0x80040200");
  vexception e = comErrorException(ComError(0x80004002, L"", true), L"addAlias(a, b)", "TomcatManager::addAlias", 490);
  EXPECT_EQ(e.fullText(),
            ComError(0x80004002).errorMessage() +
                L" (COM Interop Error 80004002)\n   at addAlias(a, b)\n   at (TomcatManager::addAlias line 490)");
}

}  // namespace

}  // namespace wc
