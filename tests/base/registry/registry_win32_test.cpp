// On Windows the panel's keys live in the 32-bit view of the registry, so
// that its programs of either word size see the same keys.

#include <gtest/gtest.h>

#include "base/registry/registry.h"
#include "support/sandbox.h"
#include "support/test_context.h"

namespace wc {

using testing_support::context;
namespace {

void setDebugThroughTheRegistryFunctions() {
  registry::create(context, registry::Root::LocalMachine, registry::kConfigKey, registry::KEY_WRITE).set(L"Debug", 1u);
}

bool configKeyExists(int view) {
  return registry::keyExists(context, registry::Root::LocalMachine, registry::kConfigKey, view);
}

}  // namespace
}  // namespace wc

// After the project's headers: the macros of the Windows headers carry the
// same names as the registry's constants.
#include <windows.h>

namespace wc {

TEST(RegistryWin32, ThePanelsKeysAreInThe32BitView) {
  testing_support::Sandbox sandbox;
  setDebugThroughTheRegistryFunctions();
  for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
    HKEY key = nullptr;
    const LONG error =
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Halvo\\HCP Config\\Config", 0, KEY_READ | view, &key);
    EXPECT_EQ(error, view == KEY_WOW64_32KEY ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND) << view;
    if (key) RegCloseKey(key);
  }
  EXPECT_TRUE(configKeyExists(0));  // no view named: the panel's
  EXPECT_FALSE(configKeyExists(2));
}

}  // namespace wc
