// Parameters of a command: parsing, checks and the listing in messages.

#include "app/params.h"

#include <gtest/gtest.h>

#include "base/errors/vexception.h"
#include "support/failures.h"

namespace wc {

namespace {

ParameterMap parse(std::vector<std::wstring> args) {
  return parseParameters(static_cast<int>(args.size()), args.data());
}

std::wstring checkFailure(const ParameterMap& map, DeclarationList required, DeclarationList optional) {
  const vexception e = testing_support::failureOf([&] { Params(map).check(required, optional); });
  EXPECT_EQ(e.callPoints().at(0).function, "Params::check");
  return e.message();
}

const wchar_t kInstallServiceRequired[] = L"--vhost-name\0--manager-login\0--password\0";
const wchar_t kInstallServiceOptional[] = L"--coyote-connector-port\0--warp-connector-port\0";

TEST(Params, Parsing) {
  ParameterMap map = parse({L"--vhost-name", L"--aliases=a=b", L"--x=1", L"--x=2", L"=v", L"two words"});
  EXPECT_EQ(map.at(L"--vhost-name"), L"");
  EXPECT_EQ(map.at(L"--aliases"), L"a=b");
  EXPECT_EQ(map.at(L"--x"), L"2");
  EXPECT_EQ(map.at(L""), L"v");
  EXPECT_EQ(map.at(L"two words"), L"");
}

TEST(Params, DescribeParameters) {
  EXPECT_EQ(Params::describeParameters(kInstallServiceRequired, kInstallServiceOptional),
            L"Possible parameters:\n    --vhost-name\n    --manager-login\n    --password\n"
            L"    [--coyote-connector-port]\n    [--warp-connector-port]");
  EXPECT_EQ(Params::describeParameters(nullptr, L"--restart\0"), L"Possible parameters:\n    [--restart]");
  EXPECT_EQ(Params::describeParameters(L"", nullptr), L"");
}

TEST(Params, MissingIsReportedBeforeUnexpected) {
  ParameterMap map = parse({L"--Vhost-name=x", L"--manager-login=m", L"--password=p"});
  EXPECT_EQ(checkFailure(map, kInstallServiceRequired, kInstallServiceOptional),
            L"Missing required parameter --vhost-name. " +
                Params::describeParameters(kInstallServiceRequired, kInstallServiceOptional));
  map[L"--vhost-name"] = L"h";
  EXPECT_EQ(checkFailure(map, kInstallServiceRequired, kInstallServiceOptional),
            L"Unexpected parameter --Vhost-name. " +
                Params::describeParameters(kInstallServiceRequired, kInstallServiceOptional));
}

TEST(Params, AcceptedNames) {
  ParameterMap map = parse({L"--vhost-name", L"--internal-package-name=anything", L"--restart=yes"});
  EXPECT_NO_THROW(Params(map).check(L"--vhost-name\0", L"--restart\0"));
  EXPECT_TRUE(Params(map).hasParameter(L"--restart"));
  EXPECT_EQ(checkFailure(parse({L"vhost-name=x"}), nullptr, L"--restart\0"),
            L"Unexpected parameter vhost-name. Possible parameters:\n    [--restart]");
  // Of several unexpected names the first in map order is reported.
  EXPECT_EQ(checkFailure(parse({L"--z", L"--a"}), nullptr, nullptr), L"Unexpected parameter --a. ");
  // The order is that of UTF-16 code units on every platform: U+1F600 is the
  // pair D83D DE00, before U+FF01.
  EXPECT_EQ(checkFailure(parse({L"\uFF01", L"\U0001F600"}), nullptr, nullptr), L"Unexpected parameter \U0001F600. ");
}

TEST(Params, GetValue) {
  ParameterMap map = parse({L"--coyote-connector-port=8081"});
  Params params(map);
  EXPECT_EQ(params.getValue(L"--coyote-connector-port", false, L"9080"), L"8081");
  EXPECT_EQ(params.getValue(L"--warp-connector-port", false, L"9008"), L"9008");
  const vexception e = testing_support::failureOf([&] { params.getValue(L"--vhost-name", true); });
  EXPECT_EQ(e.message(), L"Missing required parameter --vhost-name. ");
  EXPECT_EQ(e.callPoints().at(0).function, "Params::reportMissingParameter");
}

}  // namespace

}  // namespace wc
