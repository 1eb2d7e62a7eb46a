#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "base/errors/os_error.h"
#include "base/pipes/halvo_srv_client.h"
#include "base/pipes/service_commands.h"
#include "support/failures.h"
#include "support/sandbox.h"
#include "support/service_pipe_fake.h"

namespace {

using testing_support::FakeService;
using testing_support::Sandbox;

const std::wstring kDefaultPipe = L"\\\\.\\pipe\\hcppipe";
const std::string kKey = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config]\n";

// Answers every configuration string with its own name.
FakeService::Reply echo(const FakeService::Request& request) {
  return FakeService::string(request.name.value_or(L"?"));
}

using testing_support::failureOf;

bool contains(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

TEST(HalvoSrvClientTest, NoServiceNamesThePipeAndTheSystemText) {
  Sandbox sandbox;
  const auto e = testing_support::failureOf<VFileNotFoundException>([&] { HalvoSrvClient client; });
  EXPECT_TRUE(contains(e.message(), L"The system cannot find the file specified.")) << e.fullText().c_str();
  EXPECT_TRUE(contains(e.message(), L"Unable to connect to pipe " + kDefaultPipe));
}

TEST(HalvoSrvClientTest, SharedInstanceFailureCarriesItsCallPoint) {
  Sandbox sandbox;
  vexception e = failureOf([] { HalvoSrvClient::getInstance(); });
  EXPECT_TRUE(contains(e.message(), L"Unable to connect to pipe " + kDefaultPipe));
  ASSERT_FALSE(e.callPoints().empty());
  EXPECT_EQ(e.callPoints().back().context, L"get shared instance of HalvoSrvClient");
  EXPECT_EQ(e.callPoints().back().function, "HalvoSrvClient::getInstance");
}

TEST(HalvoSrvClientTest, AsksForAStringWithTheConfigurationCommand) {
  Sandbox sandbox;
  std::atomic<bool> rightCommand{false};
  FakeService service([&](const FakeService::Request& r) {
    rightCommand = r.command == kConfigStringCommand;
    return FakeService::string(L"/opt/h\u00e4lvo");
  });
  HalvoSrvClient client;
  EXPECT_EQ(client.getString(L"PRODUCT_ROOT_D"), L"/opt/h\u00e4lvo");
  EXPECT_TRUE(rightCommand);
  EXPECT_EQ(service.requestsFor(L"PRODUCT_ROOT_D"), 1);
}

TEST(HalvoSrvClientTest, StringOfCharSizeOneIsWidened) {
  Sandbox sandbox;
  FakeService service([](const FakeService::Request&) { return FakeService::ansiString("/opt/h\xc3\xa4lvo"); });
  HalvoSrvClient client;
  EXPECT_EQ(client.getString(L"PRODUCT_ROOT_D"), L"/opt/h\u00e4lvo");
}

TEST(HalvoSrvClientTest, EmptyResponseFailsUnderTheGetStringGuard) {
  Sandbox sandbox;
  FakeService service([](const FakeService::Request&) { return FakeService::results(""); });
  HalvoSrvClient client;
  vserializer arguments;
  arguments.writeString(L"X");
  EXPECT_EQ(client.query(kConfigStringCommand, arguments).size(), 0u);

  vexception e = failureOf([&] { client.getString(L"PRODUCT_ROOT_D"); });
  EXPECT_EQ(e.message(), L"Unexpected end of data when read C-string from serializer.");
  ASSERT_EQ(e.callPoints().size(), 1u);
  EXPECT_EQ(e.callPoints()[0].context, L"getString(PRODUCT_ROOT_D)");
  EXPECT_EQ(e.callPoints()[0].function, "HalvoSrvClient::getString");
}

TEST(HalvoSrvClientTest, ErrorReplyGivesTheServiceTextAndIsNotRetried) {
  Sandbox sandbox;
  FakeService service([](const FakeService::Request&) { return FakeService::error(L"No such value: FOO"); });
  HalvoSrvClient client;
  vexception e = failureOf([&] { client.getString(L"FOO"); });
  EXPECT_EQ(e.message(), L"No such value: FOO");
  EXPECT_EQ(service.requests(), 1);
}

TEST(HalvoSrvClientTest, BrokenPipeIsAnsweredByOneReconnect) {
  Sandbox sandbox;
  FakeService service([](const FakeService::Request& r) {
    FakeService::Reply reply = echo(r);
    reply.closeAfterwards = true;
    return reply;
  });
  HalvoSrvClient client;
  EXPECT_EQ(client.getString(L"FIRST"), L"FIRST");
  EXPECT_EQ(client.getString(L"SECOND"), L"SECOND");
  EXPECT_EQ(client.getString(L"THIRD"), L"THIRD");
  // The requests on the broken connection never reached the service.
  EXPECT_EQ(service.requests(), 3);
}

TEST(HalvoSrvClientTest, RequestIsSentAtMostTwice) {
  Sandbox sandbox;
  FakeService service([](const FakeService::Request&) { return FakeService::Reply{{}, true}; });
  HalvoSrvClient client;
  vexception e = failureOf([&] { client.getString(L"PRODUCT_ROOT_D"); });
  EXPECT_EQ(e.message(), L"Pipe is finished");
  EXPECT_EQ(service.requestsFor(L"PRODUCT_ROOT_D"), 2);
}

TEST(HalvoSrvClientTest, ShortResponseIsACommunicationError) {
  Sandbox sandbox;
  FakeService service([](const FakeService::Request&) { return FakeService::Reply{{std::string("\x08\x00", 2)}}; });
  HalvoSrvClient client;
  vexception e = failureOf([&] { client.getString(L"PRODUCT_ROOT_D"); });
  EXPECT_EQ(e.message(), L"Completed only 2 of 4 bytes");
  EXPECT_EQ(service.requests(), 2);
}

TEST(HalvoSrvClientTest, QueryAfterAFailureStartsOnANewConnection) {
  Sandbox sandbox;
  std::atomic<int> answered{0};
  FakeService service([&](const FakeService::Request& r) {
    // A length far beyond any answer, with a body that stays unread.
    if (answered++ < 2) return FakeService::Reply{{testing_support::le32(0x7FFFFFFF), "junk"}};
    return echo(r);
  });
  HalvoSrvClient client;
  vexception e = failureOf([&] { client.getString(L"A"); });
  EXPECT_EQ(e.message(), L"Unexpected response length 2147483647 from Halvo Management Service");
  EXPECT_EQ(client.getString(L"B"), L"B");
  // "B" was sent once: never on the connection that still held "junk".
  EXPECT_EQ(service.requestsFor(L"B"), 1);
}

TEST(HalvoSrvClientTest, ProductRootIsAskedOnceAndDataDirectoryEveryTime) {
  Sandbox sandbox;
  FakeService service([](const FakeService::Request& r) {
    if (r.name == L"PRODUCT_ROOT_D") return FakeService::string(L"/opt/halvo//");
    if (r.name == L"PRODUCT_DATA_D") return FakeService::string(L"/var/opt/./halvo/");
    return FakeService::error(L"unexpected");
  });
  HalvoSrvClient client;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(client.getProductRootDir(), L"/opt/halvo");
    EXPECT_EQ(client.getProductDataDir(), L"/var/opt/halvo");
  }
  EXPECT_EQ(client.getAdminDir(), L"/opt/halvo/admin");
  EXPECT_EQ(client.getAdminBinDir(), L"/opt/halvo/admin/bin");
  EXPECT_EQ(service.requestsFor(L"PRODUCT_ROOT_D"), 1);
  EXPECT_EQ(service.requestsFor(L"PRODUCT_DATA_D"), 3);
}

TEST(HalvoSrvClientTest, DirectoryValuesKeepARootAndRejectNothing) {
  Sandbox sandbox;
  FakeService service(
      [](const FakeService::Request& r) { return FakeService::string(r.name == L"PRODUCT_ROOT_D" ? L"/" : L""); });
  HalvoSrvClient client;
  EXPECT_EQ(client.getProductRootDir(), L"/");
  EXPECT_EQ(client.getAdminBinDir(), L"/admin/bin");
  vexception e = failureOf([&] { client.getProductDataDir(); });
  EXPECT_TRUE(contains(e.message(), L"empty value for PRODUCT_DATA_D")) << e.fullText().c_str();
}

TEST(HalvoSrvClientTest, PipeIsNamedByTheSetting) {
  Sandbox sandbox;
  sandbox.writeRegistry(kKey + "\"hcppipe\"=\"panelpipe\"\n");
  FakeService service(echo, L"panelpipe");
  HalvoSrvClient client;
  EXPECT_EQ(client.pipeName(), L"\\\\.\\pipe\\panelpipe");
  EXPECT_EQ(client.getString(L"A"), L"A");
}

TEST(HalvoSrvClientTest, PipeNameThatIsNoPlainNameIsRejected) {
  Sandbox sandbox;
  sandbox.writeRegistry(kKey + "\"hcppipe\"=\"../escape\"\n");
  const auto e = testing_support::failureOf<vosexception>([&] { HalvoSrvClient client; });
  EXPECT_EQ(e.code(), ERROR_INVALID_NAME);
  EXPECT_TRUE(contains(e.message(), L"Unable to connect to pipe \\\\.\\pipe\\../escape"));
}

TEST(HalvoSrvClientTest, ThreadsShareOneClientOneQueryAtATime) {
  Sandbox sandbox;
  FakeService service(echo);
  HalvoSrvClient client;
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 25; ++i) {
        std::wstring name = L"V" + std::to_wstring(t) + L"_" + std::to_wstring(i);
        if (client.getString(name) != name) ++wrong;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(service.requests(), 100);
}

TEST(ClientPipeTest, BusyPipeIsWaitedForUntilTheServerAccepts) {
  Sandbox sandbox;
  FakeService service(echo, L"hcppipe", /*accept=*/false, /*backlog=*/0);
  Con::os::UniqueHandle first;
  ASSERT_EQ(Con::os::openPipe(kDefaultPipe, Con::os::kGenericRead | Con::os::kGenericWrite, first), 0u);
  Con::os::UniqueHandle second;
  ASSERT_EQ(Con::os::openPipe(kDefaultPipe, Con::os::kGenericRead | Con::os::kGenericWrite, second), ERROR_PIPE_BUSY);

  std::thread later([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    service.startAccepting();
  });
  ConnectTryCount tries;
  Con::os::UniqueHandle handle;
  std::wstring failure;
  try {
    handle = Con::ClientOverlappedPipe::create(kDefaultPipe, Con::os::kGenericRead | Con::os::kGenericWrite,
                                               Con::os::kPipeReadModeMessage, 5, tries);
  } catch (const vexception& e) {
    failure = e.fullText();
  }
  later.join();
  ASSERT_EQ(failure, L"");
  Con::ClientOverlappedPipe pipe(std::move(handle));
  const std::string request = testing_support::le32(4);
  EXPECT_EQ(pipe.write(request.data(), 4, true), 4u);
}

TEST(ClientPipeTest, BusyPipeGivesUpAfterTheConfiguredTries) {
  Sandbox sandbox;
  sandbox.writeRegistry(kKey + "\"PipeConnectTryCount\"=dword:00000001\n");
  FakeService service(echo, L"hcppipe", /*accept=*/false, /*backlog=*/0);
  Con::os::UniqueHandle first;
  ASSERT_EQ(Con::os::openPipe(kDefaultPipe, Con::os::kGenericRead | Con::os::kGenericWrite, first), 0u);
  ConnectTryCount tries;
  try {
    Con::ClientOverlappedPipe::create(kDefaultPipe, Con::os::kGenericRead | Con::os::kGenericWrite,
                                      Con::os::kPipeReadModeMessage, 5, tries);
    FAIL() << "connected to a busy pipe";
  } catch (const vosexception& e) {
    FAIL() << "a system error instead of running out of tries";
  } catch (const vexception& e) {
    EXPECT_EQ(e.message(), L"Unable to connect to pipe " + kDefaultPipe);
    ASSERT_EQ(e.callPoints().size(), 1u);
    EXPECT_EQ(e.callPoints()[0].function, "Con::ClientOverlappedPipe::create");
  }
}

}  // namespace
