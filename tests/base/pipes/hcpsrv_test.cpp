// The reference management service, run as a process in a sandbox.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "base/pipes/halvo_srv_client.h"
#include "base/pipes/service_commands.h"
#include "support/child_process.h"
#include "support/failures.h"
#include "support/sandbox.h"
#include "support/service_pipe_fake.h"

namespace {

using testing_support::ChildProcess;
using testing_support::Sandbox;

const std::string kConfig =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config]\n"
    "\"PRODUCT_ROOT_D\"=\"/opt/halvo/\"\n"
    "\"PRODUCT_DATA_D\"=\"/var/opt/h\xc3\xa4lvo\"\n"
    "\"Greeting\"=\"hello \\\"world\\\"\"\n"
    "\"Debug\"=dword:00000000\n";

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::wstring failureOf(const std::function<void()>& f) { return testing_support::failureOf(f).message(); }
using testing_support::holds;

// hcpsrv serving the sandbox's default pipe for the scope.
struct RunningService {
  explicit RunningService(const Sandbox& sandbox, const std::string& pipe = "hcppipe")
      : socket(sandbox.path("run/halvo/pipes/" + pipe)), process("hcpsrv", {}) {
    ready = testing_support::waitForPath(socket, 10000);
  }
  std::string socket;
  ChildProcess process;
  bool ready = false;
};

TEST(HcpsrvTest, AnswersFromTheSettingsAndOutlivesBadRequestsAndASecondServer) {
  Sandbox sandbox;
  sandbox.writeRegistry(kConfig);
  RunningService service(sandbox);
  ASSERT_TRUE(service.ready) << service.process.errors();

  HalvoSrvClient client;
  EXPECT_EQ(client.getProductRootDir(), L"/opt/halvo");
  EXPECT_EQ(client.getProductDataDir(), L"/var/opt/h\u00e4lvo");
  EXPECT_EQ(client.getString(L"greeting"), L"hello \"world\"");
  // The settings are read at every request.
  sandbox.writeRegistry(kConfig + "\"Late\"=\"added\"\n");
  EXPECT_EQ(client.getString(L"Late"), L"added");

  EXPECT_TRUE(holds(failureOf([&] { client.getString(L"NO_SUCH_VALUE"); }), L"'NO_SUCH_VALUE' is not set"));
  EXPECT_TRUE(holds(failureOf([&] { client.getString(L"Debug"); }), L"invalid type"));
  const Guid other{0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};
  vserializer arguments;
  arguments.writeString(L"PRODUCT_ROOT_D");
  EXPECT_TRUE(holds(failureOf([&] { client.query(other, arguments).readString(); }),
                    L"Unknown command {12345678-9ABC-DEF0-0102-030405060708}"));
  // A request without its argument.
  EXPECT_TRUE(holds(failureOf([&] { client.query(kConfigStringCommand, vserializer()).readString(); }),
                    L"Unexpected end of data"));
  // The connection survives all of it.
  EXPECT_EQ(client.getProductRootDir(), L"/opt/halvo");

  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      HalvoSrvClient own;
      for (int i = 0; i < 20; ++i) {
        if (own.getString(L"PRODUCT_ROOT_D") != L"/opt/halvo/") ++wrong;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong, 0);

  ChildProcess second("hcpsrv", {});
  EXPECT_EQ(second.wait(), 1);
  EXPECT_TRUE(contains(second.errors(), "already listens")) << second.errors();
  EXPECT_EQ(client.getProductRootDir(), L"/opt/halvo");

  EXPECT_EQ(service.process.stop(), 0);
  EXPECT_FALSE(testing_support::pathExists(service.socket));
  EXPECT_TRUE(contains(service.process.output(), "serving")) << service.process.output();
}

TEST(HcpsrvTest, SocketLeftByAKilledServerIsTakenOver) {
  Sandbox sandbox;
  sandbox.writeRegistry(kConfig);
  {
    RunningService killed(sandbox);
    ASSERT_TRUE(killed.ready) << killed.process.errors();
    killed.process.kill();
    ASSERT_TRUE(testing_support::pathExists(killed.socket));
  }
  RunningService service(sandbox);
  ASSERT_TRUE(service.ready);
  HalvoSrvClient client;
  EXPECT_EQ(client.getProductRootDir(), L"/opt/halvo");
}

TEST(HcpsrvTest, ListensOnThePipeOfTheSettingWhenItIsAPlainName) {
  Sandbox sandbox;
  sandbox.writeRegistry(kConfig + "\"hcppipe\"=\"a/b\"\n");
  auto result = testing_support::runProgram("hcpsrv", {});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(contains(result.err, "Invalid pipe name")) << result.err;
  EXPECT_FALSE(testing_support::pathExists(sandbox.path("run/halvo/pipes/a")));

  sandbox.writeRegistry(kConfig + "\"hcppipe\"=\"panel2\"\n");
  RunningService service(sandbox, "panel2");
  ASSERT_TRUE(service.ready) << service.process.errors();
  HalvoSrvClient client;
  EXPECT_EQ(client.getString(L"hcppipe"), L"panel2");
}

TEST(HcpsrvTest, HelpAndUnknownArguments) {
  auto help = testing_support::runProgram("hcpsrv", {"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(contains(help.out, "Usage: hcpsrv")) << help.out;
  auto bad = testing_support::runProgram("hcpsrv", {"--bogus"});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_TRUE(contains(bad.err, "unknown argument '--bogus'")) << bad.err;
}

}  // namespace
