#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "base/errors/os_error.h"
#include "base/pipes/client_overlapped_pipe.h"
#include "base/pipes/connect_try_count.h"
#include "base/pipes/halvo_srv_client.h"
#include "base/system/path_separator.h"
#include "base/text/convert.h"
#include "support/failures.h"
#include "support/sandbox.h"
#include "support/service_pipe_fake.h"
#include "support/test_context.h"

namespace wc {

namespace {

using namespace testing_support;

const std::wstring kDefaultPipe = L"\\\\.\\pipe\\hcppipe";

// Answers every configuration string with its own name.
FakeService::Reply echo(const FakeService::Request& name) { return FakeService::string(name.value_or(L"?")); }

void expectCallPoint(const vexception& e, const std::wstring& context, const char* function) {
  ASSERT_FALSE(e.callPoints().empty());
  EXPECT_EQ(e.callPoints().back().context, context);
  EXPECT_EQ(e.callPoints().back().function, function);
}

TEST(HalvoSrvClientTest, ACommunicationErrorIsSentOnceMoreAndAnErrorReplyIsNot) {
  const struct {
    FakeService::Reply reply;
    std::wstring message;
    int requests;
  } cases[] = {
      {FakeService::error(L"No such value: FOO"), L"No such value: FOO", 1},
      {FakeService::results(""), L"Unexpected end of data when read C-string from serializer.", 1},
      {FakeService::Reply{{}, true}, L"Pipe is finished", 2},
      {FakeService::Reply{{std::string("\x08\x00", 2)}}, L"Completed only 2 of 4 bytes", 2},
      {FakeService::Reply{{le32(8), "short"}}, L"Completed only 5 of 8 bytes", 2},
      // A length far beyond any answer, with a body that stays unread.
      {FakeService::Reply{{le32(0x7FFFFFFF), "junk"}},
       L"Unexpected response length 2147483647 from Halvo Management Service", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(wideToUtf8Lenient(c.message));
    Sandbox sandbox;
    // Every other answer breaks the pipe after it.
    FakeService service([&](const FakeService::Request& name) {
      return name == L"FOO" ? c.reply : FakeService::Reply{echo(name).messages, true};
    });
    HalvoSrvClient client(context);
    const vexception e = failureOf([&] { client.getString(L"FOO"); });
    EXPECT_EQ(e.message(), c.message);
    expectCallPoint(e, L"getString(FOO)", "HalvoSrvClient::getString");
    EXPECT_EQ(service.requestsFor(L"FOO"), c.requests);
    // The next queries go out once: never on a connection out of step or
    // broken, which takes one reconnect.
    for (const wchar_t* name : {L"B", L"C"}) {
      EXPECT_EQ(client.getString(name), name);
      EXPECT_EQ(service.requestsFor(name), 1);
    }
  }
}

TEST(HalvoSrvClientTest, StringsOfEitherCharSizeAndDirectoriesNormalisedWithOnlyTheRootKept) {
  Sandbox sandbox;
  std::atomic<bool> bare{false};  // a root and an empty value
  FakeService service([&](const FakeService::Request& name) {
    if (name == L"PRODUCT_ROOT_D") return FakeService::ansiString(bare ? "/" : cstrLenient(L"/opt/h\u00e4lvo//"));
    return FakeService::string(bare ? L"" : L"/var/opt/./halvo/");
  });
  {
    HalvoSrvClient client(context);
    EXPECT_EQ(client.getString(L"PRODUCT_DATA_D"), L"/var/opt/./halvo/");
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(client.getProductRootDir(), toPlatformSeparators(L"/opt/h\u00e4lvo"));
      EXPECT_EQ(client.getProductDataDir(), toPlatformSeparators(L"/var/opt/halvo"));
    }
    EXPECT_EQ(client.getAdminDir(), toPlatformSeparators(L"/opt/h\u00e4lvo/admin"));
    EXPECT_EQ(client.getAdminBinDir(), toPlatformSeparators(L"/opt/h\u00e4lvo/admin/bin"));
    EXPECT_EQ(service.requestsFor(L"PRODUCT_ROOT_D"), 1);
    EXPECT_EQ(service.requestsFor(L"PRODUCT_DATA_D"), 4);
  }
  bare = true;
  HalvoSrvClient second(context);
  EXPECT_EQ(second.getProductRootDir(), toPlatformSeparators(L"/"));
  EXPECT_EQ(second.getAdminBinDir(), toPlatformSeparators(L"/admin/bin"));
  EXPECT_TRUE(holds(failureOf([&] { second.getProductDataDir(); }).message(), L"empty value for PRODUCT_DATA_D"));
}

TEST(HalvoSrvClientTest, PipeIsNamedByTheSettingWhenItIsAPlainNameAndAFailedConnectNamesItAndTheSystemText) {
  Sandbox sandbox;
  sandbox.writeRegistry(kConfigSection + "\"hcppipe\"=\"panelpipe\"\n");
  FakeService service(echo, L"panelpipe");
  HalvoSrvClient client(context);
  EXPECT_EQ(client.pipeName(), L"\\\\.\\pipe\\panelpipe");
  EXPECT_EQ(client.getString(L"A"), L"A");

  sandbox.writeRegistry(kConfigSection + "\"hcppipe\"=\"../escape\"\n");
  const auto e = failureOf<vosexception>([&] { HalvoSrvClient client(context); });
  EXPECT_EQ(e.code(), ERROR_INVALID_NAME);
  EXPECT_TRUE(holds(e.message(), L"Unable to connect to pipe \\\\.\\pipe\\../escape"));
  // No service: the pipe and the system text are named.
  sandbox.writeRegistry(kConfigSection);
  const auto none = failureOf<VFileNotFoundException>([&] { HalvoSrvClient client(context); });
  EXPECT_TRUE(holds(none.message(), systemMessageText(ERROR_FILE_NOT_FOUND).value()));
  EXPECT_TRUE(holds(none.message(), L"Unable to connect to pipe " + kDefaultPipe));
  const vexception shared = failureOf([] { HalvoSrvClient::getInstance(context); });
  EXPECT_TRUE(holds(shared.message(), L"Unable to connect to pipe " + kDefaultPipe));
  expectCallPoint(shared, L"get shared instance of HalvoSrvClient", "HalvoSrvClient::getInstance");
}

TEST(HalvoSrvClientTest, ThreadsShareOneClientOneQueryAtATime) {
  Sandbox sandbox;
  FakeService service(echo);
  HalvoSrvClient client(context);
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

TEST(ClientPipeTest, BusyPipeIsWaitedForUntilTheConfiguredTriesRunOut) {
  Sandbox sandbox;
  FakeService service(echo, L"hcppipe", /*accept=*/false);
  const uint32_t access = Con::os::kGenericRead | Con::os::kGenericWrite;
  Con::os::UniqueHandle first, second;
  ASSERT_EQ(Con::os::openPipe(kDefaultPipe, access, first), 0u);
  ASSERT_EQ(Con::os::openPipe(kDefaultPipe, access, second), ERROR_PIPE_BUSY);
  const auto create = [&](ConnectTryCount& tries) {
    return Con::ClientOverlappedPipe::create(context, kDefaultPipe, access, Con::os::kPipeReadModeMessage, 5, tries);
  };

  sandbox.writeRegistry(kConfigSection + "\"PipeConnectTryCount\"=dword:00000001\n");
  ConnectTryCount once(context);
  const auto e = failureOf([&] { create(once); });
  EXPECT_EQ(e.message(), L"Unable to connect to pipe " + kDefaultPipe);
  expectCallPoint(e, L"", "Con::ClientOverlappedPipe::create");

  sandbox.writeRegistry(kConfigSection);
  std::thread later([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    service.startAccepting();
  });
  ConnectTryCount tries(context);
  Con::os::UniqueHandle handle;
  EXPECT_NO_THROW(handle = create(tries));
  later.join();
  EXPECT_TRUE(handle.valid());
}

void setTryCount(const Sandbox& sandbox, const std::string& value) {
  sandbox.writeRegistry(kConfigSection + "\"PipeConnectTryCount\"=" + value + "\n");
}

TEST(ConnectTryCountTest, SettingIsReadOnTheFirstCallAndEverySixteenthAfterItUntilOneIsUnreadable) {
  Sandbox sandbox;
  EXPECT_EQ(ConnectTryCount(context).tries(2), 2u);  // no setting: the default
  setTryCount(sandbox, "dword:00000003");
  ConnectTryCount count(context);
  EXPECT_EQ(count.tries(5), 3u);  // call 1
  setTryCount(sandbox, "dword:00000007");
  for (int call = 2; call <= 16; ++call) EXPECT_EQ(count.tries(5), 3u) << "call " << call;
  EXPECT_EQ(count.tries(5), 7u);  // call 17
  setTryCount(sandbox, "dword:00000000");
  for (int call = 18; call <= 32; ++call) EXPECT_EQ(count.tries(5), 7u) << "call " << call;
  EXPECT_EQ(count.tries(5), 5u);  // call 33: zero keeps the default

  // An unreadable setting stops all further readings.
  setTryCount(sandbox, "dword:00000004");
  ConnectTryCount stopped(context);
  EXPECT_EQ(stopped.tries(5), 4u);
  setTryCount(sandbox, "\"nine\"");
  for (int call = 2; call <= 17; ++call) stopped.tries(5);  // call 17 meets the string
  setTryCount(sandbox, "dword:00000009");
  for (int call = 18; call <= 48; ++call) EXPECT_EQ(stopped.tries(5), 4u) << "call " << call;
}

}  // namespace

}  // namespace wc
