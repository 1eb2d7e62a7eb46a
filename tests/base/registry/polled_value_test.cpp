#include "base/registry/polled_value.h"

#include <gtest/gtest.h>

#include "base/errors/vexception.h"
#include "base/registry/settings_store.h"
#include "support/sandbox.h"

using namespace registry;

namespace {

// Counts how often the registry functions open a key.
class CountingStore : public SettingsStore {
 public:
  CountingStore() { SettingsStore::setCurrentForTesting(this); }
  ~CountingStore() override { SettingsStore::setCurrentForTesting(nullptr); }
  uint32_t openKey(Root root, const std::wstring& subKey, uint32_t access, bool create,
                   std::unique_ptr<KeyHandle>& out) override {
    ++opens;
    return SettingsStore::Default().openKey(root, subKey, access, create, out);
  }
  uint32_t deleteTree(Root root, const std::wstring& subKey) override {
    return SettingsStore::Default().deleteTree(root, subKey);
  }
  int opens = 0;
};

const std::wstring kConfig = L"SOFTWARE\\Halvo\\HCP Config\\Config";

void setDebug(uint32_t value) { create(Root::LocalMachine, kConfig, KEY_WRITE).set(L"Debug", value); }

}  // namespace

TEST(PolledDword, ReadsTheStoreOnlyWhenDueAndKeepsTheValueReadLast) {
  testing_support::Sandbox sandbox;
  CountingStore store;
  PolledDword debug(Root::LocalMachine, kConfig, L"Debug", kView32, 7);
  EXPECT_EQ(debug.get(), 7u);  // nothing stored: the initial value
  EXPECT_EQ(store.opens, 1);

  setDebug(1);
  const int opensAfterSet = store.opens;
  for (int call = 1; call < 16; ++call) EXPECT_EQ(debug.get(), 7u) << call;
  EXPECT_EQ(store.opens, opensAfterSet);
  EXPECT_EQ(debug.get(), 1u);  // the 17th call reads again
  EXPECT_EQ(store.opens, opensAfterSet + 1);

  // Errors reach the caller; the value read last stays.
  create(Root::LocalMachine, kConfig, KEY_WRITE).set(L"Debug", L"text");
  for (int call = 1; call < 16; ++call) debug.get();
  EXPECT_THROW(debug.get(), vexception);
  EXPECT_EQ(debug.get(), 1u);

  // A reader that gives up keeps its value for good.
  setDebug(9);
  debug.stopPolling();
  for (int call = 0; call < 40; ++call) EXPECT_EQ(debug.get(), 1u);
}
