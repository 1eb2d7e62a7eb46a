#include "base/log/event_source.h"

#include <gtest/gtest.h>

#include "base/registry/registry.h"
#include "base/system/path_separator.h"
#include "base/text/convert.h"
#include "support/sandbox.h"
#include "support/test_context.h"

namespace wc {

using testing_support::context;

using registry::Root;

namespace {

const std::wstring kLogKey = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Halvo";
const std::wstring kTakenKey = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\wcadmin";

uint32_t dword(const std::wstring& key, const std::wstring& name) {
  uint32_t value = 0xDEADBEEF;
  EXPECT_EQ(registry::lookupDword(context, Root::LocalMachine, key, name, value, 0), 0u) << name;
  return value;
}

const std::string kConfig = testing_support::kConfigSection + "\"HalvoService\"=\"/opt/halvo/bin/hcpsrv\"\n";

// A sandbox without the event log's keys, which it removes again: on Windows
// they are the machine's, outside the panel's settings.
struct EventLogSandbox : testing_support::Sandbox {
  EventLogSandbox() { clear(); }
  ~EventLogSandbox() { clear(); }
  static void clear() {
    for (const std::wstring& key : {kLogKey, kTakenKey}) registry::deleteKey(context, Root::LocalMachine, key);
  }
};

}  // namespace

TEST(RegisterEventSource, CreatesTheCustomLogAndTheSourceWithTheConfiguredOrTheNearbyServiceAsItsMessageFile) {
  for (bool withService : {true, false}) {
    SCOPED_TRACE(withService ? "with the service's path" : "without it");
    EventLogSandbox sandbox;
    if (withService) sandbox.writeRegistry(kConfig);
    uint32_t error = 1;
    EventSource source = registerEventSource(context, L"wcadmin", error);
    EXPECT_EQ(error, 0u);
    EXPECT_TRUE(source.isOpen());
    EXPECT_EQ(dword(kLogKey, L"MaxSize"), 0x800000u);
    EXPECT_EQ(dword(kLogKey, L"Retention"), 0u);
    EXPECT_EQ(dword(kLogKey + L"\\wcadmin", L"TypesSupported"), 7u);
    std::wstring file = L"<none>";
    registry::lookupString(context, Root::LocalMachine, kLogKey + L"\\wcadmin", L"EventMessageFile", file,
                           registry::REG_SZ, 0);
    // Without the setting: the management service beside the running program.
    const bool windows = pathSeparator() == L'\\';
    const std::string beside =
        testing_support::nativePath(testing_support::binPath("hcpsrv")) + (windows ? ".exe" : "");
    EXPECT_EQ(file, withService ? L"/opt/halvo/bin/hcpsrv" : wstrLenient(beside));
    EXPECT_FALSE(registry::keyExists(context, Root::LocalMachine, kLogKey + L"\\Halvo:  wcadmin", 0));
  }
}

TEST(RegisterEventSource, LeavesAnExistingCustomLogAloneAndPrefixesANameTheApplicationLogTook) {
  EventLogSandbox sandbox;
  sandbox.writeRegistry(kConfig +
                        "\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\Halvo]\n"
                        "\"MaxSize\"=dword:00010000\n"
                        "\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\wcadmin]\n"
                        "\"TypesSupported\"=dword:00000007\n");
  uint32_t error = 1;
  EventSource source = registerEventSource(context, L"wcadmin", error);
  EXPECT_EQ(error, 0u);
  ASSERT_TRUE(source.isOpen());
  EXPECT_EQ(dword(kLogKey, L"MaxSize"), 0x10000u);
  uint32_t retention = 0;
  EXPECT_NE(registry::lookupDword(context, Root::LocalMachine, kLogKey, L"Retention", retention, 0), 0u);
  EXPECT_EQ(dword(kLogKey + L"\\Halvo:  wcadmin", L"TypesSupported"), 7u);
  EXPECT_FALSE(registry::keyExists(context, Root::LocalMachine, kLogKey + L"\\wcadmin", 0));
  EXPECT_EQ(source.report(EVENTLOG_WARNING_TYPE, 0, 1, {L"/bin/wcadmin", L"careful"}), 0u);
  source.close();
  EXPECT_FALSE(source.isOpen());
  EXPECT_NE(source.report(EVENTLOG_ERROR_TYPE, 0, 1, {L"x"}), 0u);
}

}  // namespace wc
