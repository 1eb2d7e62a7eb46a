// The reference management service, run as a process in a sandbox.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "base/pipes/client_overlapped_pipe.h"
#include "base/pipes/halvo_srv_client.h"
#include "base/pipes/service_commands.h"
#include "support/background_program.h"
#include "support/failures.h"
#include "support/sandbox.h"
#include "support/service_pipe_fake.h"
#include "support/test_context.h"
#include "wc_version.h"

namespace wc {

namespace {

using namespace testing_support;

const std::string kConfig = kConfigSection +
                            "\"PRODUCT_ROOT_D\"=\"/opt/halvo/\"\n"
                            "\"PRODUCT_DATA_D\"=\"/var/opt/h\xc3\xa4lvo\"\n"
                            "\"Greeting\"=\"hello \\\"world\\\"\"\n"
                            "\"Debug\"=dword:00000000\n";

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::wstring messageOf(const std::function<void()>& f) { return failureOf(f).message(); }

TEST(HcpsrvTest, AnswersFromTheSettingsAndOutlivesBadRequestsAndASecondServer) {
  Sandbox sandbox;
  sandbox.writeRegistry(kConfig);
  RunningHcpsrv service;
  ASSERT_TRUE(service.ready) << service.process.errors();

  HalvoSrvClient client(context);
  EXPECT_EQ(client.getString(L"PRODUCT_DATA_D"), L"/var/opt/h\u00e4lvo");
  EXPECT_EQ(client.getString(L"greeting"), L"hello \"world\"");
  // The settings are read at every request.
  sandbox.writeRegistry(kConfig + "\"Late\"=\"added\"\n");
  EXPECT_EQ(client.getString(L"Late"), L"added");

  EXPECT_TRUE(holds(messageOf([&] { client.getString(L"NO_SUCH_VALUE"); }), L"'NO_SUCH_VALUE' is not set"));
  EXPECT_TRUE(holds(messageOf([&] { client.getString(L"Debug"); }), L"invalid type"));
  const Guid other{0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};
  vserializer arguments;
  arguments.writeString(L"PRODUCT_ROOT_D");
  EXPECT_TRUE(holds(messageOf([&] { client.query(other, arguments).readString(); }),
                    L"Unknown command {12345678-9ABC-DEF0-0102-030405060708}"));
  // A request without its argument.
  EXPECT_TRUE(holds(messageOf([&] { client.query(kConfigStringCommand, vserializer()).readString(); }),
                    L"Unexpected end of data"));
  // The connection survives all of it.
  EXPECT_EQ(client.getString(L"PRODUCT_ROOT_D"), L"/opt/halvo/");

  // A client out of step with the protocol is dropped at once.
  Con::OverlappedPipe stray(Con::ClientOverlappedPipe::create(context, L"\\\\.\\pipe\\hcppipe",
                                                              Con::os::kGenericRead | Con::os::kGenericWrite,
                                                              Con::os::kPipeReadModeMessage, 1));
  stray.write(le32(0).data(), 4, true);
  char byte;
  stray.beginRead(&byte, 1, false);
  // The read finds the end at once when the server was quicker.
  if (!stray.finished()) {
    EXPECT_TRUE(stray.complete(Con::os::HandleTraits::invalid(), 5000, false));
  }
  EXPECT_TRUE(stray.finished());

  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      HalvoSrvClient own(context);
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
  EXPECT_EQ(client.getString(L"PRODUCT_ROOT_D"), L"/opt/halvo/");
}

TEST(HcpsrvTest, ServesThePipeOfTheSettingAndTakesOverFromAKilledServer) {
  Sandbox sandbox;
  sandbox.writeRegistry(kConfig + "\"hcppipe\"=\"panel2\"\n");
  {
    RunningHcpsrv killed(L"panel2");
    ASSERT_TRUE(killed.ready) << killed.process.errors();
    killed.process.kill();
  }
  RunningHcpsrv service(L"panel2");
  ASSERT_TRUE(service.ready) << service.process.errors();
  HalvoSrvClient client(context);
  EXPECT_EQ(client.getString(L"hcppipe"), L"panel2");
}

TEST(HcpsrvTest, BadArgumentsAndABadPipeNameEndItWithOne) {
  auto help = runProgram("hcpsrv", {"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(contains(help.out, "Usage: hcpsrv")) << help.out;
  auto version = runProgram("hcpsrv", {"--version"});
  EXPECT_EQ(version.exitCode, 0);
  std::erase(version.out, '\r');  // the line end of Windows' text mode
  EXPECT_EQ(version.out, "hcpsrv " WC_VERSION "\n");
  auto bad = runProgram("hcpsrv", {"--bogus"});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_TRUE(contains(bad.err, "unknown argument '--bogus'")) << bad.err;

  Sandbox sandbox;
  sandbox.writeRegistry(kConfig + "\"hcppipe\"=\"a/b\"\n");
  auto result = runProgram("hcpsrv", {});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(contains(result.err, "Invalid pipe name")) << result.err;
}

}  // namespace

}  // namespace wc
