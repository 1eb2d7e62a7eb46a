// OS error texts and the classes chosen by code.

#include "base/errors/os_error.h"

#include <gtest/gtest.h>

#include "base/errors/runtime_errors.h"
#include "base/text/unicode.h"
#include "support/failures.h"

namespace wc {

namespace {

// The platform's own text for a code: the Windows message table, or the
// program's copy of its English texts on POSIX.
std::wstring systemText(uint32_t code) { return systemMessageText(code).value(); }

TEST(OsErrorText, SystemTextCodeAndWhere) {
  EXPECT_EQ(osErrorText(2, nullptr), systemText(2) + L" (Error code 2)");
  EXPECT_EQ(osErrorText(5, L"Open file 'a' to read"), systemText(5) + L" (Error code 5) at Open file 'a' to read");
  EXPECT_EQ(osErrorText(987654, L"W"), L"Unknown error (Error code 987654) at W");
  // Codes above 2^31 print unsigned.
  EXPECT_EQ(osErrorText(0xFFFFFFF0u, nullptr), L"Unknown error (Error code 4294967280)");
}

template <class Expected>
bool throwsAs(uint32_t code) {
  try {
    throwOsError(L"w", code, VCALLPOINT(L"", "f"));
  } catch (const Expected& e) {
    return e.code() == code;
  } catch (...) {
  }
  return false;
}

TEST(ThrowOsError, ChoosesTheClassByCode) {
  EXPECT_TRUE(throwsAs<VFileNotFoundException>(2));
  EXPECT_TRUE(throwsAs<VPathNotFoundException>(3));
  EXPECT_TRUE(throwsAs<VAccessDeniedException>(5));
  EXPECT_TRUE(throwsAs<VSharingViolationException>(32));
  EXPECT_TRUE(throwsAs<VEOFException>(38));
  EXPECT_TRUE(throwsAs<VFileExistsException>(80));
  EXPECT_TRUE(throwsAs<VAlreadyExistsException>(183));
  EXPECT_FALSE(throwsAs<VFileExistsException>(183));
  EXPECT_TRUE(throwsAs<VServiceDoesNotExistException>(1060));
  EXPECT_TRUE(throwsAs<VServiceMarkedForDeleteException>(1072));
  EXPECT_TRUE(throwsAs<VServiceAlreadyExistsException>(1073));
  EXPECT_TRUE(throwsAs<VPasswordTooShortException>(2245));
  EXPECT_TRUE(throwsAs<vosexception>(1062));
  EXPECT_FALSE(throwsAs<VFileNotFoundException>(1062));
}

TEST(ThrowOsError, MessageAndCallPointButNoneForOutOfMemory) {
  const auto e = testing_support::failureOf<vosexception>(
      [] { throwOsError(L"lookup subKey=K value=V", 2, VCALLPOINT(L"", "registry::getstr")); });
  EXPECT_EQ(e.message(), osErrorText(2, L"lookup subKey=K value=V"));
  ASSERT_EQ(e.callPoints().size(), 1u);
  EXPECT_EQ(e.callPoints()[0].function, "registry::getstr");
  const vexception outOfMemory = testing_support::failureOf([] { throwOutOfMemory(); });
  EXPECT_TRUE(outOfMemory.callPoints().empty());
  EXPECT_EQ(outOfMemory.fullText(), osErrorText(14, nullptr));
}

TEST(RunTimeErrors, ClassAndNarrowMessage) {
  EXPECT_EQ(testing_support::failureOf<RunTime::SharingViolationException>([] {
              RunTime::throwError(L"open %s", 32, L"f.txt");
            }).what(),
            "open f.txt: (32) " + wideToUtf8Lenient(systemText(32)));
  EXPECT_THROW(RunTime::throwError(L"x", 183), RunTime::AlreadyExistsException);
  EXPECT_THROW(RunTime::throwError(L"x", 80), RunTime::AlreadyExistsException);
  EXPECT_THROW(RunTime::throwError(L"x", 267), RunTime::InvalidPathException);
  EXPECT_THROW(RunTime::throwError(L"x", 145), RunTime::DirectoryNotEmptyException);
  try {
    RunTime::throwError(L"plain %d", 0, 7);
  } catch (const RunTime::PathNotFoundException&) {
    FAIL() << "code 0 is a plain runtime_error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "plain 7");
  }
  EXPECT_EQ(RunTime::systemErrorText(0x80040205), L"IDispatch error #5");
  EXPECT_EQ(RunTime::systemErrorText(0x1234567), L"Unknown error 0x1234567");
}

}  // namespace

}  // namespace wc
