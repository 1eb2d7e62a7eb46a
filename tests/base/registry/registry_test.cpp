#include "base/registry/registry.h"

#include <gtest/gtest.h>

#include "base/errors/os_error.h"
#include "base/registry/file_settings_store.h"
#include "base/registry/reg_format.h"
#include "base/registry/value_data.h"
#include "base/text/convert.h"
#include "support/failures.h"
#include "support/sandbox.h"
#include "support/test_context.h"

namespace wc {

using testing_support::context;

using namespace registry;
using testing_support::Sandbox;
using testing_support::ScopedEnv;

namespace {

const std::wstring kConfig = kConfigKey;

const std::string kConfigBody = testing_support::kConfigSection +
                                "\"PRODUCT_ROOT_D\"=\"/opt/halvo\"\n"
                                "\"Debug\"=dword:00000001\n"
                                "\"LongRoot\"=hex(2):25,00,52,00,45,00,47,00,5f,00,54,00,45,00,53,00,54,00,25,00,2f,00,"
                                "78,00,00,00\n"
                                "\"Deps\"=hex(7):61,00,00,00,62,00,00,00,00,00\n"
                                "\"Raw\"=hex(4):01,00,00,00,00,00,00,00\n"
                                "\"Text\"=\"12\"\n"
                                "\"Blob\"=hex:01\n\n"
                                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config\\Packages\\tomcat]\n"
                                "@=\"tomcat10\"\n";

// The message of the vexception the call throws, and its innermost function.
template <class Call>
std::pair<std::wstring, std::string> failureOf(Call call) {
  const vexception e = testing_support::failureOf(call);
  return {e.message(), e.callPoints().empty() ? std::string() : e.callPoints().front().function};
}

template <class Call>
uint32_t osCodeOf(Call call) {
  return testing_support::failureOf<vosexception>(call).code();
}

// A settings file of its own behind the registry functions, on every platform.
class FileStore : public ::testing::Test {
 protected:
  std::string text() const { return testing_support::readFile(file); }
  void write(const std::string& body) const {
    testing_support::writeFile(file, cstrLenient(kRegHeader) + "\n\n" + body);
  }

  testing_support::TempDir dir;
  const std::string file = dir / "registry.reg";
  FileSettingsStore store{[this] { return wstrLenient(file); }};
  const Context context = testing_support::testContext(store);
};

}  // namespace

TEST(RegistryLookup, ReadsEachTypeByKeyOrByPathAndRefusesTheWrongOne) {
  Sandbox sandbox;
  sandbox.writeRegistry(kConfigBody);
  ScopedEnv env("REG_TEST", "/e");
  RegistryKey key = open(context, Root::LocalMachine, L"software\\halvo\\hcp config\\CONFIG", KEY_READ);

  std::wstring text;
  EXPECT_EQ(key.lookup(L"product_root_d", text), 0u);
  EXPECT_EQ(text, L"/opt/halvo");
  EXPECT_EQ(key.lookup(L"LongRoot", text), 0u);
  EXPECT_EQ(text, L"/e/x");
  uint32_t number = 0;
  EXPECT_EQ(key.lookup(L"Debug", number), 0u);
  EXPECT_EQ(number, 1u);
  std::vector<std::wstring> items;
  EXPECT_EQ(key.lookupMulti(L"Deps", items), 0u);
  EXPECT_EQ(items, (std::vector<std::wstring>{L"a", L"b"}));
  uint32_t type = 0;
  std::string bytes;
  EXPECT_EQ(key.lookupRaw(L"LongRoot", type, bytes), 0u);
  EXPECT_EQ(type, REG_EXPAND_SZ);
  EXPECT_EQ(decodeString(bytes), L"%REG_TEST%/x");  // raw bytes are not expanded

  // Missing values give the code and leave the output alone.
  text = L"unchanged";
  number = 99;
  EXPECT_EQ(key.lookup(L"Missing", text), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key.lookup(L"Missing", number), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(text, L"unchanged");
  EXPECT_EQ(number, 99u);
  EXPECT_EQ(key.subKeyNames(), std::vector<std::wstring>{L"Packages"});
  EXPECT_EQ(key.valueNames().size(), 7u);

  // The wrong type or size is a failure that leaves the output alone.
  using Failure = std::pair<std::wstring, std::string>;
  EXPECT_EQ(failureOf([&] { key.lookup(L"Debug", text); }),
            Failure(L"RegQueryValueEx invalid type of 'Debug'", "registry::lookup"));
  EXPECT_EQ(failureOf([&] { key.lookup(L"Raw", number); }),
            Failure(L"RegQueryValueEx invalid size of 'Raw'", "registry::lookup"));
  EXPECT_EQ(failureOf([&] { key.lookupMulti(L"Text", items); }),
            Failure(L"RegQueryValueEx invalid type of 'Text'", "registry::lookup"));
  EXPECT_EQ(number, 99u);

  // By path: the same.
  EXPECT_EQ(lookupDword(context, Root::LocalMachine, kConfig, L"Debug", number, kView32), 0u);
  EXPECT_EQ(number, 1u);

  // REG_SZ and REG_EXPAND_SZ stand in for each other; expansion follows the stored type.
  EXPECT_EQ(lookupString(context, Root::LocalMachine, kConfig, L"LongRoot", text, REG_SZ, kView32), 0u);
  EXPECT_EQ(text, L"/e/x");
  EXPECT_EQ(lookupString(context, Root::LocalMachine, kConfig, L"PRODUCT_ROOT_D", text, REG_EXPAND_SZ, kView32), 0u);
  EXPECT_EQ(text, L"/opt/halvo");
  EXPECT_EQ(lookupString(context, Root::LocalMachine, kConfig + L"\\Packages\\tomcat", L"", text, REG_SZ, kView32), 0u);
  EXPECT_EQ(text, L"tomcat10");

  EXPECT_EQ(
      failureOf([&] { lookupString(context, Root::LocalMachine, kConfig, L"Deps", text, REG_EXPAND_SZ, kView32); }),
      Failure(L"RegQueryValueEx invalid type of '" + kConfig + L"\\Deps'", "registry::lookup"));

  EXPECT_TRUE(keyExists(context, Root::LocalMachine, L"SOFTWARE\\Halvo", kView32));  // implicit parent
  EXPECT_FALSE(keyExists(context, Root::CurrentUser, kConfig, kView32));
  EXPECT_EQ(getstr(context, Root::LocalMachine, kConfig, L"PRODUCT_ROOT_D", kView32), L"/opt/halvo");
  const std::wstring missingKey = kConfig + L"\\Packages\\tomcat\\tomcat10";
  const auto e = testing_support::failureOf<VFileNotFoundException>(
      [&] { getstr(context, Root::LocalMachine, missingKey, L"dll", kView32); });
  EXPECT_EQ(e.message(), osErrorText(ERROR_FILE_NOT_FOUND, (L"lookup subKey=" + missingKey + L" value=dll").c_str()));
  EXPECT_EQ(e.callPoints().front().function, "registry::getstr");
  EXPECT_EQ(failureOf([&] { getstr(context, Root::LocalMachine, kConfig, L"Debug", kView32); }).first,
            L"RegQueryValueEx invalid type of '" + kConfig + L"\\Debug'");
}

TEST(RegistryKeys, OpenAndCreateFailuresAccessRightsAndWritesReadBackAndDeleted) {
  Sandbox sandbox;
  const auto e = testing_support::failureOf<VFileNotFoundException>(
      [&] { open(context, Root::LocalMachine, L"SOFTWARE\\Halvo\\Nothing", KEY_READ); });
  EXPECT_EQ(e.message(), osErrorText(ERROR_FILE_NOT_FOUND, L"RegOpenKeyEx subKey=SOFTWARE\\Halvo\\Nothing"));
  EXPECT_EQ(e.callPoints().front().function, "registry::open");
  EXPECT_EQ(osCodeOf([] { RegistryKey(context, Root::LocalMachine, L"SOFTWARE\\Halvo", KEY_READ, false); }),
            ERROR_FILE_NOT_FOUND);

  auto created = failureOf([] { create(context, Root::LocalMachine, L"\\Bad", KEY_WRITE); });
  EXPECT_EQ(created.first, osErrorText(ERROR_BAD_PATHNAME, L"RegCreateKeyEx subKey=\\Bad"));
  EXPECT_EQ(created.second, "registry::create");

  RegistryKey out;
  EXPECT_EQ(tryOpen(context, Root::LocalMachine, L"SOFTWARE\\Halvo", KEY_READ, out), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(out.isOpen());
  EXPECT_EQ(tryOpen(context, Root::LocalMachine, L"", KEY_READ, out), 0u);  // the root always exists
  EXPECT_TRUE(out.isOpen());

  sandbox.writeRegistry(kConfigBody);
  RegistryKey readOnly = open(context, Root::LocalMachine, kConfig, KEY_READ);
  auto failure = failureOf([&] { readOnly.set(L"X", 1u); });
  EXPECT_EQ(failure.first, osErrorText(ERROR_ACCESS_DENIED, L"RegSetValueEx valueName=X"));
  EXPECT_EQ(failure.second, "registry::set");
  EXPECT_EQ(readOnly.deleteValue(L"Debug"), ERROR_ACCESS_DENIED);
  uint32_t number;
  EXPECT_EQ(open(context, Root::LocalMachine, kConfig, KEY_SET_VALUE).lookup(L"Debug", number), ERROR_ACCESS_DENIED);

  RegistryKey closed;
  EXPECT_EQ(closed.lookup(L"Debug", number), ERROR_INVALID_HANDLE);
  EXPECT_EQ(osCodeOf([&] { closed.set(L"X", 1u); }), ERROR_INVALID_HANDLE);

  // Writes read back, and deletions.
  const std::wstring log = kConfig + L"\\Log";
  {
    RegistryKey key = create(context, Root::LocalMachine, log, KEY_ALL_ACCESS);
    // In name order: that is the order Wine lists values in, and the order they were made in.
    key.setRaw(L"Blob", REG_BINARY, std::string("\x00\x01", 2));
    key.setMulti(L"Deps", {L"Tcpip", L"Afd"});
    key.set(L"EventMessageFile", L"/opt/halvo/bin/messages \"1\"");
    key.setExpand(L"Home", L"%REG_TEST%");
    key.set(L"Retention", 0u);
    key.set(L"retention", 7u);  // same value, other spelling
    EXPECT_EQ(key.valueNames(),
              (std::vector<std::wstring>{L"Blob", L"Deps", L"EventMessageFile", L"Home", L"Retention"}));
    EXPECT_EQ(osCodeOf([&] { key.setMulti(L"M", {L"a", L""}); }), ERROR_INVALID_PARAMETER);
  }
  RegistryKey key = open(context, Root::LocalMachine, L"software\\halvo\\hcp config\\config\\LOG", KEY_ALL_ACCESS);
  uint32_t type = 0;
  std::string bytes;
  ASSERT_EQ(key.lookupRaw(L"EventMessageFile", type, bytes), 0u);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(bytes, encodeString(L"/opt/halvo/bin/messages \"1\""));  // terminator counted
  ASSERT_EQ(key.lookupRaw(L"Retention", type, bytes), 0u);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(bytes, encodeDword(7));
  std::vector<std::wstring> items;
  EXPECT_EQ(key.lookupMulti(L"deps", items), 0u);
  EXPECT_EQ(items, (std::vector<std::wstring>{L"Tcpip", L"Afd"}));

  EXPECT_EQ(key.deleteValue(L"home"), 0u);
  EXPECT_EQ(key.deleteValue(L"Home"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(deleteKey(context, Root::LocalMachine, kConfig + L"\\Packages"), 0u);
  EXPECT_FALSE(keyExists(context, Root::LocalMachine, kConfig + L"\\Packages\\tomcat", kView32));
  EXPECT_TRUE(keyExists(context, Root::LocalMachine, log, kView32));
  EXPECT_EQ(deleteKey(context, Root::LocalMachine, kConfig + L"\\Packages"), ERROR_FILE_NOT_FOUND);
  EXPECT_NE(deleteKey(context, Root::LocalMachine, L""), 0u);  // never the whole root
  EXPECT_TRUE(keyExists(context, Root::LocalMachine, kConfig, kView32));
}

TEST_F(FileStore, ReadingCreatesNothingAndWritesMergeWithTheFileOnDisk) {
  EXPECT_FALSE(keyExists(context, Root::LocalMachine, kConfig, kView32));
  EXPECT_FALSE(testing_support::pathExists(file));
  write(kConfigBody);
  RegistryKey first = open(context, Root::LocalMachine, kConfig, KEY_ALL_ACCESS);
  RegistryKey second = open(context, Root::LocalMachine, kConfig, KEY_ALL_ACCESS);
  first.set(L"One", 1u);
  second.set(L"Two", L"2 \"quoted\"");  // its snapshot predates "One", the file does not
  uint32_t number = 0;
  EXPECT_EQ(second.lookup(L"One", number), 0u);  // the writer's snapshot is refreshed
  EXPECT_NE(text().find("\"One\"=dword:00000001\n\"Two\"=\"2 \\\"quoted\\\"\"\n"), std::string::npos) << text();
}

TEST_F(FileStore, ACorruptFileIsReportedAndNeverOverwritten) {
  write(kConfigBody + "\"Broken\"=dword:xyz\n");
  const std::string before = text();
  uint32_t number;
  EXPECT_EQ(lookupDword(context, Root::LocalMachine, kConfig, L"Debug", number, kView32), ERROR_REGISTRY_CORRUPT);
  RegistryKey key;
  EXPECT_EQ(tryOpen(context, Root::LocalMachine, kConfig, KEY_READ, key), ERROR_REGISTRY_CORRUPT);
  EXPECT_EQ(osCodeOf([&] { create(context, Root::LocalMachine, L"SOFTWARE\\New", KEY_WRITE); }),
            ERROR_REGISTRY_CORRUPT);
  EXPECT_EQ(deleteKey(context, Root::LocalMachine, kConfig), ERROR_REGISTRY_CORRUPT);
  EXPECT_EQ(text(), before);
  ASSERT_TRUE(store.problem());
  EXPECT_TRUE(testing_support::holds(*store.problem(), L"registry.reg cannot be read: line 14: "));
}

}  // namespace wc
