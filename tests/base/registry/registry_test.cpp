#include "base/registry/registry.h"

#include <gtest/gtest.h>

#include "base/errors/os_error.h"
#include "base/registry/value_data.h"
#include "base/text/unicode.h"
#include "support/failures.h"
#include "support/sandbox.h"

using namespace registry;
using testing_support::Sandbox;
using testing_support::ScopedEnv;

namespace {

const std::wstring kConfig = L"SOFTWARE\\Halvo\\HCP Config\\Config";

const std::string kConfigBody =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config]\n"
    "\"PRODUCT_ROOT_D\"=\"/opt/halvo\"\n"
    "\"Debug\"=dword:00000001\n"
    "\"LongRoot\"=hex(2):25,00,52,00,45,00,47,00,5f,00,54,00,45,00,53,00,54,00,25,00,2f,00,78,00,00,00\n"
    "\"Deps\"=hex(7):61,00,00,00,62,00,00,00,00,00\n"
    "\"Raw\"=hex(4):01,00,00,00,00,00,00,00\n"
    "\"Text\"=\"12\"\n"
    "\"Blob\"=hex:01\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config\\Packages\\tomcat]\n"
    "@=\"tomcat10\"\n";

std::string storeFile(const Sandbox& sandbox) { return sandbox.path("etc/halvo/registry.reg"); }

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

}  // namespace

TEST(RegistryLookup, ReadsEachTypeThroughAnOpenKeyAndRefusesTheWrongOne) {
  Sandbox sandbox;
  sandbox.writeRegistry(kConfigBody);
  ScopedEnv env("REG_TEST", "/expanded");
  RegistryKey key = open(Root::LocalMachine, L"software\\halvo\\hcp config\\CONFIG", KEY_READ);

  std::wstring text;
  EXPECT_EQ(key.lookup(L"product_root_d", text), 0u);
  EXPECT_EQ(text, L"/opt/halvo");
  EXPECT_EQ(key.lookup(L"LongRoot", text), 0u);
  EXPECT_EQ(text, L"/expanded/x");
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
  EXPECT_EQ(key.valueNames()[1], L"Debug");

  // The wrong type or size is a failure that leaves the output alone.
  using Failure = std::pair<std::wstring, std::string>;
  EXPECT_EQ(failureOf([&] { key.lookup(L"Debug", text); }),
            Failure(L"RegQueryValueEx invalid type of 'Debug'", "registry::lookup"));
  EXPECT_EQ(failureOf([&] { key.lookup(L"Text", number); }),
            Failure(L"RegQueryValueEx invalid type of 'Text'", "registry::lookup"));
  EXPECT_EQ(failureOf([&] { key.lookup(L"Raw", number); }),
            Failure(L"RegQueryValueEx invalid size of 'Raw'", "registry::lookup"));
  EXPECT_EQ(failureOf([&] { key.lookupMulti(L"Text", items); }),
            Failure(L"RegQueryValueEx invalid type of 'Text'", "registry::lookup"));
  EXPECT_EQ(number, 99u);
}

TEST(RegistryLookup, ByPathAndGetstrFailingLoudly) {
  Sandbox sandbox;
  sandbox.writeRegistry(kConfigBody);
  ScopedEnv env("REG_TEST", "/e");
  uint32_t number = 0;
  EXPECT_EQ(lookupDword(Root::LocalMachine, kConfig, L"Debug", number, kView32), 0u);
  EXPECT_EQ(number, 1u);
  EXPECT_EQ(lookupDword(Root::LocalMachine, kConfig + L"\\Nope", L"Debug", number, kView32), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(lookupDword(Root::LocalMachine, kConfig, L"Nope", number, kView32), ERROR_FILE_NOT_FOUND);

  std::wstring text;
  // REG_SZ and REG_EXPAND_SZ stand in for each other; expansion follows the stored type.
  EXPECT_EQ(lookupString(Root::LocalMachine, kConfig, L"LongRoot", text, REG_SZ, kView32), 0u);
  EXPECT_EQ(text, L"/e/x");
  EXPECT_EQ(lookupString(Root::LocalMachine, kConfig, L"PRODUCT_ROOT_D", text, REG_EXPAND_SZ, kView32), 0u);
  EXPECT_EQ(text, L"/opt/halvo");
  EXPECT_EQ(lookupString(Root::LocalMachine, kConfig + L"\\Packages\\tomcat", L"", text, REG_SZ, kView32), 0u);
  EXPECT_EQ(text, L"tomcat10");

  using Failure = std::pair<std::wstring, std::string>;
  EXPECT_EQ(failureOf([&] { lookupDword(Root::LocalMachine, kConfig, L"Text", number, kView32); }),
            Failure(L"RegQueryValueEx invalid type of '" + kConfig + L"\\Text'", "registry::lookup"));
  EXPECT_EQ(failureOf([&] { lookupDword(Root::LocalMachine, kConfig, L"Raw", number, kView32); }),
            Failure(L"RegQueryValueEx invalid size of '" + kConfig + L"\\Raw'", "registry::lookup"));
  EXPECT_EQ(failureOf([&] { lookupString(Root::LocalMachine, kConfig, L"Debug", text, REG_SZ, kView32); }),
            Failure(L"RegQueryValueEx invalid type of '" + kConfig + L"\\Debug'", "registry::lookup"));
  EXPECT_EQ(failureOf([&] { lookupString(Root::LocalMachine, kConfig, L"Deps", text, REG_EXPAND_SZ, kView32); }),
            Failure(L"RegQueryValueEx invalid type of '" + kConfig + L"\\Deps'", "registry::lookup"));

  // Every view sees the same single store.
  for (int view : {0, 1, 2, 3}) {
    EXPECT_TRUE(keyExists(Root::LocalMachine, kConfig, view));
    EXPECT_FALSE(keyExists(Root::CurrentUser, kConfig, view));
  }
  EXPECT_TRUE(keyExists(Root::LocalMachine, L"SOFTWARE\\Halvo", kView32));  // implicit parent

  EXPECT_EQ(getstr(Root::LocalMachine, kConfig, L"PRODUCT_ROOT_D", kView32), L"/opt/halvo");
  std::wstring missingKey = kConfig + L"\\Packages\\tomcat\\tomcat10";
  {
    const auto e = testing_support::failureOf<VFileNotFoundException>(
        [&] { getstr(Root::LocalMachine, missingKey, L"dll", kView32); });
    EXPECT_EQ(e.message(), L"The system cannot find the file specified. (Error code 2) at lookup subKey=" + missingKey +
                               L" value=dll");
    EXPECT_EQ(e.callPoints().front().function, "registry::getstr");
  }
  EXPECT_EQ(failureOf([&] { getstr(Root::LocalMachine, kConfig, L"Debug", kView32); }).first,
            L"RegQueryValueEx invalid type of '" + kConfig + L"\\Debug'");
}

TEST(RegistryKeys, OpenAndCreateFailuresAndAccessRights) {
  Sandbox sandbox;
  {
    const auto e = testing_support::failureOf<VFileNotFoundException>(
        [&] { open(Root::LocalMachine, L"SOFTWARE\\Nothing", KEY_READ); });
    EXPECT_EQ(e.message(),
              L"The system cannot find the file specified. (Error code 2) at RegOpenKeyEx subKey=SOFTWARE\\Nothing");
    EXPECT_EQ(e.callPoints().front().function, "registry::open");
  }
  EXPECT_EQ(osCodeOf([] { RegistryKey(Root::LocalMachine, L"SOFTWARE\\Nothing", KEY_READ, false); }),
            ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(testing_support::pathExists(sandbox.path("etc/halvo/registry.reg")));  // reading creates nothing

  auto created = failureOf([] { create(Root::LocalMachine, L"\\Bad", KEY_WRITE); });
  EXPECT_EQ(created.first, osErrorText(ERROR_BAD_PATHNAME, L"RegCreateKeyEx subKey=\\Bad"));
  EXPECT_EQ(created.second, "registry::create");

  RegistryKey out;
  EXPECT_EQ(tryOpen(Root::LocalMachine, L"SOFTWARE", KEY_READ, out), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(out.isOpen());
  EXPECT_EQ(tryOpen(Root::LocalMachine, L"", KEY_READ, out), 0u);  // the root always exists
  EXPECT_TRUE(out.isOpen());

  sandbox.writeRegistry(kConfigBody);
  RegistryKey readOnly = open(Root::LocalMachine, kConfig, KEY_READ);
  auto failure = failureOf([&] { readOnly.set(L"X", 1u); });
  EXPECT_EQ(failure.first, osErrorText(ERROR_ACCESS_DENIED, L"RegSetValueEx valueName=X"));
  EXPECT_EQ(failure.second, "registry::set");
  EXPECT_EQ(readOnly.deleteValue(L"Debug"), ERROR_ACCESS_DENIED);

  RegistryKey writeOnly = open(Root::LocalMachine, kConfig, KEY_SET_VALUE);
  uint32_t number;
  EXPECT_EQ(writeOnly.lookup(L"Debug", number), ERROR_ACCESS_DENIED);

  RegistryKey closed;
  EXPECT_EQ(closed.lookup(L"Debug", number), ERROR_INVALID_HANDLE);
  EXPECT_EQ(osCodeOf([&] { closed.set(L"X", 1u); }), ERROR_INVALID_HANDLE);
}

TEST(RegistryWrites, SetAndReadBackEveryKind) {
  Sandbox sandbox;
  {
    RegistryKey key =
        create(Root::LocalMachine, L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Halvo", KEY_ALL_ACCESS);
    key.set(L"MaxSize", 0x800000u);
    key.set(L"Retention", 0u);
    key.set(L"EventMessageFile", L"/opt/halvo/bin/messages \"1\"");
    key.setExpand(L"Home", L"%REG_TEST%");
    key.setMulti(L"Deps", {L"Tcpip", L"Afd"});
    key.setRaw(L"Blob", REG_BINARY, std::string("\x00\x01", 2));
    key.set(L"retention", 7u);  // same value, other spelling
    EXPECT_EQ(key.valueNames(),
              (std::vector<std::wstring>{L"MaxSize", L"Retention", L"EventMessageFile", L"Home", L"Deps", L"Blob"}));
  }
  std::string file = testing_support::readFile(sandbox.path("etc/halvo/registry.reg"));
  EXPECT_EQ(file.rfind("Windows Registry Editor Version 5.00\n", 0), 0u);
  EXPECT_NE(file.find("\"MaxSize\"=dword:00800000\n"), std::string::npos);
  EXPECT_NE(file.find("\"Retention\"=dword:00000007\n"), std::string::npos);
  EXPECT_NE(file.find("\"EventMessageFile\"=\"/opt/halvo/bin/messages \\\"1\\\"\"\n"), std::string::npos);

  RegistryKey key = open(Root::LocalMachine, L"system\\currentcontrolset\\services\\eventlog\\halvo", KEY_READ);
  uint32_t type = 0;
  std::string bytes;
  ASSERT_EQ(key.lookupRaw(L"EventMessageFile", type, bytes), 0u);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(bytes, encodeString(L"/opt/halvo/bin/messages \"1\""));  // terminator counted
  ASSERT_EQ(key.lookupRaw(L"MaxSize", type, bytes), 0u);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(bytes.size(), 4u);
  std::vector<std::wstring> items;
  EXPECT_EQ(key.lookupMulti(L"deps", items), 0u);
  EXPECT_EQ(items, (std::vector<std::wstring>{L"Tcpip", L"Afd"}));
  EXPECT_EQ(osCodeOf([&] {
              RegistryKey writable = open(Root::LocalMachine, L"SYSTEM\\CurrentControlSet", KEY_WRITE);
              writable.setMulti(L"M", {L"a", L""});
            }),
            ERROR_INVALID_PARAMETER);
}

TEST(RegistryWrites, DeletingValuesAndKeys) {
  Sandbox sandbox;
  sandbox.writeRegistry(kConfigBody);
  RegistryKey key = open(Root::LocalMachine, kConfig, KEY_ALL_ACCESS);
  EXPECT_EQ(key.deleteValue(L"debug"), 0u);
  EXPECT_EQ(key.deleteValue(L"Debug"), ERROR_FILE_NOT_FOUND);
  uint32_t number;
  EXPECT_EQ(lookupDword(Root::LocalMachine, kConfig, L"Debug", number, kView32), ERROR_FILE_NOT_FOUND);

  EXPECT_EQ(deleteKey(Root::LocalMachine, kConfig + L"\\Packages"), 0u);
  EXPECT_FALSE(keyExists(Root::LocalMachine, kConfig + L"\\Packages\\tomcat", kView32));
  EXPECT_TRUE(keyExists(Root::LocalMachine, kConfig, kView32));
  EXPECT_EQ(deleteKey(Root::LocalMachine, kConfig + L"\\Packages"), ERROR_FILE_NOT_FOUND);
  EXPECT_NE(deleteKey(Root::LocalMachine, L""), 0u);  // never the whole root
  EXPECT_TRUE(keyExists(Root::LocalMachine, kConfig, kView32));
}

TEST(RegistryStore, ACorruptFileIsReportedAndNeverOverwritten) {
  Sandbox sandbox;
  sandbox.writeRegistry(kConfigBody + "\"Broken\"=dword:xyz\n");
  std::string before = testing_support::readFile(sandbox.path("etc/halvo/registry.reg"));
  uint32_t number;
  EXPECT_EQ(lookupDword(Root::LocalMachine, kConfig, L"Debug", number, kView32), ERROR_REGISTRY_CORRUPT);
  RegistryKey key;
  EXPECT_EQ(tryOpen(Root::LocalMachine, kConfig, KEY_READ, key), ERROR_REGISTRY_CORRUPT);
  EXPECT_EQ(osCodeOf([] { create(Root::LocalMachine, L"SOFTWARE\\New", KEY_WRITE); }), ERROR_REGISTRY_CORRUPT);
  EXPECT_EQ(deleteKey(Root::LocalMachine, kConfig), ERROR_REGISTRY_CORRUPT);
  EXPECT_EQ(testing_support::readFile(sandbox.path("etc/halvo/registry.reg")), before);
}

TEST(RegistryStore, WritesMergeWithTheFileOnDisk) {
  Sandbox sandbox;
  sandbox.writeRegistry(kConfigBody);
  RegistryKey first = open(Root::LocalMachine, kConfig, KEY_ALL_ACCESS);
  RegistryKey second = open(Root::LocalMachine, kConfig, KEY_ALL_ACCESS);
  first.set(L"One", 1u);
  second.set(L"Two", 2u);  // its snapshot predates "One", the file does not
  uint32_t number = 0;
  EXPECT_EQ(lookupDword(Root::LocalMachine, kConfig, L"One", number, kView32), 0u);
  EXPECT_EQ(lookupDword(Root::LocalMachine, kConfig, L"Two", number, kView32), 0u);
  EXPECT_EQ(second.lookup(L"One", number), 0u);  // the writer's snapshot is refreshed
}

TEST(RegistryStore, ReplacingTheFileKeepsItsMode) {
  Sandbox sandbox;
  sandbox.writeRegistry(kConfigBody);
  std::string path = storeFile(sandbox);
  ASSERT_EQ(testing_support::runProgram("/bin/chmod", {"640", path}).exitCode, 0);
  create(Root::LocalMachine, kConfig, KEY_WRITE).set(L"X", 1u);
  testing_support::ProcessResult mode = testing_support::runProgram("/usr/bin/stat", {"-c", "%a", path});
  EXPECT_EQ(mode.out, "640\n");
  testing_support::ProcessResult listing = testing_support::runProgram("/bin/ls", {"-a", sandbox.path("etc/halvo")});
  EXPECT_EQ(listing.out, ".\n..\nregistry.reg\n");  // no temporary file left behind
}
