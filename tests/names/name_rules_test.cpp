// Names that would leave the panel's directories or inject lines into the
// connector's files are refused.

#include "names/name_rules.h"

#include <gtest/gtest.h>

#include "base/errors/vexception.h"
#include "names/aliases_file_names.h"
#include "support/failures.h"

namespace wc {

namespace {

TEST(NameRules, HostNames) {
  for (std::wstring good : {L"h.test", L"xn--bcher-kva.test", L"my_host-1.example.com", L"localhost"})
    EXPECT_FALSE(hostNameProblem(good)) << good.size();
  for (std::wstring bad : {L"", L".", L"..", L"../etc", L"a/b", L"a\\b", L"a b", L"b\u00FCcher.test", L"a\nb", L"a=b",
                           L"a#b", L"*.h.test"})
    EXPECT_TRUE(hostNameProblem(bad)) << bad.size();
}

// A domain name has at most 253 characters and labels of at most 63.
TEST(NameRules, DomainNameLengths) {
  const std::wstring label63(63, L'a'), label64(64, L'a');
  const std::wstring longest = label63 + L"." + label63 + L"." + label63 + L"." + std::wstring(61, L'b');
  const std::wstring tooLong = longest + L"b";
  const std::wstring longestWildcard = L"*." + longest.substr(2);
  EXPECT_EQ(longest.size(), 253u);
  for (const std::wstring& good : {longest, label63 + L".test", L"a." + label63})
    EXPECT_FALSE(hostNameProblem(good)) << good.size();
  EXPECT_FALSE(aliasNameProblem(longestWildcard));
  EXPECT_FALSE(aliasListNameProblem(L"www." + longest));  // the twin of an alias that fits
  const std::wstring tooLongText = L"longer than the 253 characters a domain name may have";
  const std::wstring labelText = L"a label is longer than 63 characters";
  EXPECT_EQ(hostNameProblem(tooLong), tooLongText);
  EXPECT_EQ(aliasNameProblem(L"*." + longest), tooLongText);
  for (const std::wstring& name : {label64 + L".test", L"a." + label64, L"a." + label64 + L".test"}) {
    EXPECT_EQ(hostNameProblem(name), labelText) << name.size();
    EXPECT_EQ(aliasNameProblem(L"*." + name), labelText) << name.size();
  }
}

TEST(NameRules, AliasesMayBeWildcardsAndAliasListsHoldTheirTwins) {
  EXPECT_FALSE(aliasNameProblem(L"*.h.test"));
  EXPECT_FALSE(aliasNameProblem(L"www.h.test"));
  for (std::wstring bad : {L"*.", L"*.*.h.test", L"h.*.test", L"www.*.h.test"}) EXPECT_TRUE(aliasNameProblem(bad));
  EXPECT_FALSE(aliasListNameProblem(L"www.*.h.test"));
  for (std::wstring bad : {L"www.*.", L"www.a/b", L"*.www.*.h"}) EXPECT_TRUE(aliasListNameProblem(bad));
}

TEST(NameRules, ApplicationAndWorkerNames) {
  for (std::wstring good : {L"Shop", L"my-app_2", L"b\u00FCcher", L"app.v2", L"50%"})
    EXPECT_FALSE(webAppNameProblem(good)) << good.size();
  for (std::wstring bad : {L"", L".", L"..", L"a/b", L"a\\b", L"a=b", L"a b", L"a\tb", L"a\r\nworker.list=x", L"a\x7f"})
    EXPECT_TRUE(webAppNameProblem(bad)) << bad.size();
  ASSERT_TRUE(webAppNameProblem(L"a#b"));
  EXPECT_NE(webAppNameProblem(L"a#b")->find(L"'#'"), std::wstring::npos);
  EXPECT_FALSE(workerNameProblem(L"Ab_test-1"));
  for (std::wstring bad : {L"", L"a.test", L"a,b", L"a=b"}) EXPECT_TRUE(workerNameProblem(bad));
}

TEST(NameRules, TheAliasesFileCheckNamesTheFile) {
  EXPECT_EQ(testing_support::failureOf([] {
              checkAliasesFileNames({L"*.a.test", L"b.test", L"", L"c d"}, L"/x/aliases");
            }).message(),
            L"Invalid alias '' in the aliases file /x/aliases (--aliases): the name is empty");
}

}  // namespace

}  // namespace wc
