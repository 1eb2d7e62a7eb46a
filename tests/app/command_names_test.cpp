// The dispatcher refuses a command whose name parameters break their rules,
// and names the parameter.

#include "app/command_names.h"

#include <gtest/gtest.h>

#include "support/failures.h"

namespace wc {

namespace {

TEST(CommandNames, TheCheckNamesTheParameter) {
  auto messageOf = [](ParameterMap map) {
    return testing_support::failureOf([&] { checkCommandNames(Params(map)); }).message();
  };
  EXPECT_EQ(messageOf({{L"--vhost-name", L"h.test"}, {L"--webapp-name", L"../../x"}}),
            L"Invalid application name '../../x' in --webapp-name: '/', '\\' and '=' may not be used");
  const std::wstring longLabel = L"a" + std::wstring(64, L'b') + L".test";
  EXPECT_EQ(messageOf({{L"--vhost-name", longLabel}}),
            L"Invalid host name '" + longLabel + L"' in --vhost-name: a label is longer than 63 characters");
  ParameterMap fine{{L"--vhost-name", L"h.test"}, {L"--restart", L""}, {L"--aliases", L"/no/such/file"}};
  EXPECT_NO_THROW(checkCommandNames(Params(fine)));
}

}  // namespace

}  // namespace wc
