// The settings file that the tests put behind the registry functions on every
// platform, held to what the platform's own store answers (the same file under
// the sandbox root on POSIX, the registry on Windows). The file has one view;
// that the 64-bit view of the registry does not see the panel's keys is the
// registry's own test.

#include <gtest/gtest.h>

#include "base/errors/os_error.h"
#include "base/registry/file_settings_store.h"
#include "base/registry/value_data.h"
#include "base/text/convert.h"
#include "base/text/vaformat.h"
#include "support/contract.h"
#include "support/failures.h"
#include "support/sandbox.h"
#include "support/test_context.h"

namespace wc {

using namespace registry;

namespace {

class FileStoreMachine {
 public:
  static constexpr const char* kName = "File";
  testing_support::TempDir dir;
  FileSettingsStore store{[this] { return wstrLenient(dir / "registry.reg"); }};
  const Context context = testing_support::testContext(store);
};

struct PlatformMachine {
  static constexpr const char* kName = "Platform";
  testing_support::Sandbox sandbox;
  const Context context = testing_support::machineContext();
};

template <class Machine>
class SettingsStoreContractTest : public ::testing::Test {
 protected:
  Machine machine;
  const Context& context = machine.context;
  SettingsStore& store = *context.settings;
  const std::wstring path = L"SOFTWARE\\Halvo\\Contract";
};

using Machines = ::testing::Types<FileStoreMachine, PlatformMachine>;
TYPED_TEST_SUITE(SettingsStoreContractTest, Machines, testing_support::MachineNames);

}  // namespace

TYPED_TEST(SettingsStoreContractTest, MissingKeysAndValuesAndValuesOfAnotherTypeOrSize) {
  const uint32_t view = KEY_WOW64_32KEY;
  std::unique_ptr<KeyHandle> key;
  EXPECT_EQ(this->store.openKey(Root::LocalMachine, this->path, KEY_READ | view, false, key), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(0u, this->store.openKey(Root::LocalMachine, this->path, KEY_ALL_ACCESS | view, true, key));
  EXPECT_EQ(0u, key->setValue(L"Raw", REG_DWORD, std::string(8, '\1')));
  EXPECT_EQ(0u, key->setValue(L"Text", REG_SZ, encodeString(L"12")));

  // Written through the 32-bit view, read back through it.
  std::unique_ptr<KeyHandle> again;
  ASSERT_EQ(0u, this->store.openKey(Root::LocalMachine, L"software\\halvo\\CONTRACT", KEY_READ | view, false, again));
  uint32_t type = 0;
  std::string data;
  EXPECT_EQ(again->queryValue(L"Missing", type, data), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(0u, again->queryValue(L"raw", type, data));
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(data, std::string(8, '\1'));
  ASSERT_EQ(0u, again->queryValue(L"Text", type, data));
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(decodeString(data), L"12");

  // What the registry functions make of it.
  uint32_t number = 99;
  EXPECT_EQ(lookupDword(this->context, Root::LocalMachine, this->path + L"\\Nope", L"Raw", number, kView32),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(lookupDword(this->context, Root::LocalMachine, this->path, L"Missing", number, kView32),
            ERROR_FILE_NOT_FOUND);
  for (const auto& [name, problem] : {std::pair{L"Raw", L"size"}, std::pair{L"Text", L"type"}}) {
    const wchar_t* value = name;  // clang 14 cannot capture a structured binding
    const vexception e = testing_support::failureOf(
        [&] { lookupDword(this->context, Root::LocalMachine, this->path, value, number, kView32); });
    EXPECT_EQ(e.message(), vaformat(L"RegQueryValueEx invalid %s of '%s\\%s'", problem, this->path, name));
  }
  EXPECT_EQ(number, 99u);
  EXPECT_EQ(0u, this->store.deleteTree(Root::LocalMachine, this->path));
  EXPECT_EQ(this->store.openKey(Root::LocalMachine, this->path, KEY_READ | view, false, key), ERROR_FILE_NOT_FOUND);
}

}  // namespace wc
