#include "base/log/event_source.h"

#include <gtest/gtest.h>

#include "base/registry/registry.h"
#include "log_test_support.h"

using registry::Root;

namespace {

const std::wstring kLogKey = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Halvo";

uint32_t dword(const std::wstring& key, const std::wstring& name) {
  uint32_t value = 0xDEADBEEF;
  EXPECT_EQ(registry::lookupDword(Root::LocalMachine, key, name, value, 0), 0u) << name;
  return value;
}

const char* kConfig =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config]\n"
    "\"HalvoService\"=\"/opt/halvo/bin/hcpsrv\"\n";

}  // namespace

TEST(RegisterEventSource, CreatesTheCustomLogAndTheSourceWithTheServiceAsItsMessageFile) {
  for (bool withService : {true, false}) {
    SCOPED_TRACE(withService ? "with the service's path" : "without it");
    testing_support::Sandbox sandbox;
    if (withService) sandbox.writeRegistry(kConfig);
    uint32_t error = 1;
    EventSource source = registerEventSource(L"wcadmin", error);
    EXPECT_EQ(error, 0u);
    EXPECT_TRUE(source.isOpen());
    EXPECT_EQ(dword(kLogKey, L"MaxSize"), 0x800000u);
    EXPECT_EQ(dword(kLogKey, L"Retention"), 0u);
    EXPECT_EQ(dword(kLogKey + L"\\wcadmin", L"TypesSupported"), 7u);
    std::wstring file = L"<none>";
    registry::lookupString(Root::LocalMachine, kLogKey + L"\\wcadmin", L"EventMessageFile", file, registry::REG_SZ, 0);
    EXPECT_EQ(file, withService ? L"/opt/halvo/bin/hcpsrv" : L"<none>");
    EXPECT_FALSE(registry::keyExists(Root::LocalMachine, kLogKey + L"\\Halvo:  wcadmin", 0));
  }
}

TEST(RegisterEventSource, LeavesAnExistingCustomLogAlone) {
  testing_support::Sandbox sandbox;
  sandbox.writeRegistry(std::string(kConfig) +
                        "\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\Halvo]\n"
                        "\"MaxSize\"=dword:00010000\n");
  uint32_t error = 1;
  EventSource source = registerEventSource(L"wcadmin", error);
  EXPECT_EQ(error, 0u);
  EXPECT_EQ(dword(kLogKey, L"MaxSize"), 0x10000u);
  uint32_t retention = 0;
  EXPECT_NE(registry::lookupDword(Root::LocalMachine, kLogKey, L"Retention", retention, 0), 0u);
  EXPECT_EQ(dword(kLogKey + L"\\wcadmin", L"TypesSupported"), 7u);
}

TEST(RegisterEventSource, ANameTakenByTheApplicationLogGetsThePanelPrefix) {
  testing_support::Sandbox sandbox;
  sandbox.writeRegistry(std::string(kConfig) +
                        "\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\wcadmin]\n"
                        "\"TypesSupported\"=dword:00000007\n");
  log_test::FakeClock clock(log_test::localSeconds(2026, 12, 4, 10, 11, 12));
  log_test::ScopedClock useClock(clock);
  uint32_t error = 1;
  EventSource source = registerEventSource(L"wcadmin", error);
  ASSERT_TRUE(source.isOpen());
  EXPECT_EQ(dword(kLogKey + L"\\Halvo:  wcadmin", L"TypesSupported"), 7u);
  EXPECT_FALSE(registry::keyExists(Root::LocalMachine, kLogKey + L"\\wcadmin", 0));

  ASSERT_EQ(source.report(EVENTLOG_WARNING_TYPE, 0, 1, {L"/bin/wcadmin", L"careful"}), 0u);
  EXPECT_EQ(testing_support::readFile(sandbox.path("var/log/halvo/events.log")),
            "2026/12/04 10:11:12 Warning Halvo:  wcadmin: /bin/wcadmin: careful\n");
}

TEST(EventSource, ReportsAppendOneLinePerEventAndFailWhenClosed) {
  testing_support::Sandbox sandbox;
  log_test::FakeClock clock(log_test::localSeconds(2027, 1, 2, 3, 4, 5));
  log_test::ScopedClock useClock(clock);
  EventSource source;
  EXPECT_NE(source.report(EVENTLOG_ERROR_TYPE, 0, 1, {L"x"}), 0u);
  ASSERT_EQ(source.open(L"src"), 0u);
  ASSERT_EQ(source.report(EVENTLOG_SUCCESS, 0, 1, {L"/p", L"done"}), 0u);
  ASSERT_EQ(source.report(EVENTLOG_INFORMATION_TYPE, 0, 1, {L"/p", L"a\nb\r\nc"}), 0u);
  EXPECT_EQ(testing_support::readFile(sandbox.path("var/log/halvo/events.log")),
            "2027/01/02 03:04:05 Success src: /p: done\n"
            "2027/01/02 03:04:05 Information src: /p: a\\nb\\r\\nc\n");
  source.close();
  EXPECT_FALSE(source.isOpen());
  EXPECT_NE(source.report(EVENTLOG_ERROR_TYPE, 0, 1, {L"x"}), 0u);
}
