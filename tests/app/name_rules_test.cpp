// Names that would leave the panel's directories or inject lines into the
// connector's files are refused.

#include "app/name_rules.h"

#include <gtest/gtest.h>

#include "base/errors/vexception.h"
#include "names/aliases_file_names.h"
#include "names/name_rules.h"

namespace {

TEST(NameRules, HostNames) {
  for (std::wstring good : {L"h.test", L"xn--bcher-kva.test", L"my_host-1.example.com", L"localhost"})
    EXPECT_FALSE(hostNameProblem(good)) << good.size();
  for (std::wstring bad : {L"", L".", L"..", L"../etc", L"a/b", L"a\\b", L"a b", L"b\u00FCcher.test", L"a\nb", L"a=b",
                           L"a#b", L"*.h.test"})
    EXPECT_TRUE(hostNameProblem(bad)) << bad.size();
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

TEST(NameRules, TheChecksNameTheParameterOrTheAliasesFile) {
  ParameterMap map{{L"--vhost-name", L"h.test"}, {L"--webapp-name", L"../../x"}};
  try {
    checkCommandNames(Params(map));
    FAIL();
  } catch (const vexception& e) {
    EXPECT_EQ(e.message(), L"Invalid application name '../../x' in --webapp-name: '/', '\\' and '=' may not be used");
  }
  ParameterMap fine{{L"--vhost-name", L"h.test"}, {L"--restart", L""}, {L"--aliases", L"/no/such/file"}};
  EXPECT_NO_THROW(checkCommandNames(Params(fine)));
  try {
    checkAliasesFileNames({L"*.a.test", L"b.test", L"", L"c d"}, L"/x/aliases");
    FAIL();
  } catch (const vexception& e) {
    EXPECT_EQ(e.message(), L"Invalid alias '' in the aliases file /x/aliases (--aliases): the name is empty");
  }
}

}  // namespace
