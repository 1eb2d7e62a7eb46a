// Command lines split and joined by the Windows rules.

#include <gtest/gtest.h>

#include "base/system/environment.h"
#include "base/system/process.h"
#include "support/sandbox.h"

namespace wc {

namespace {

TEST(CommandLine, SplitsByTheWindowsRules) {
  std::vector<std::wstring> args =
      splitCommandLine(L"\"C:\\Program Files\\wc.exe\" a\\\\\"b c\" \"d\"\"e\" f\\\\g \"\\\"q\\\"\"");
  ASSERT_EQ(args.size(), 5u);
  EXPECT_EQ(args[0], L"C:\\Program Files\\wc.exe");
  EXPECT_EQ(args[1], L"a\\b c");
  EXPECT_EQ(args[2], L"d\"e");
  EXPECT_EQ(args[3], L"f\\\\g");
  EXPECT_EQ(args[4], L"\"q\"");
}

TEST(CommandLine, QuotingReadsBackUnchanged) {
  for (std::wstring arg : {L"plain", L"with blank", L"trailing\\", L"quote\"inside", L"back\\\"slash", L""}) {
    std::vector<std::wstring> args = splitCommandLine(L"prog " + quoteForCommandLine(arg));
    ASSERT_EQ(args.size(), 2u) << arg.size();
    EXPECT_EQ(args[1], arg);
  }
}

TEST(Environment, ExpandsSetVariablesOnly) {
  testing_support::ScopedEnv env("WC_TEST_DRIVE", "/srv");
  EXPECT_EQ(expandEnvironmentStrings(L"%WC_TEST_DRIVE%/halvo"), L"/srv/halvo");
  EXPECT_EQ(expandEnvironmentStrings(L"%WC_UNSET_VARIABLE%/x%"), L"%WC_UNSET_VARIABLE%/x%");
  EXPECT_EQ(expandEnvironmentStrings(L"50% %WC_TEST_DRIVE%"), L"50% /srv");
}

}  // namespace

}  // namespace wc
