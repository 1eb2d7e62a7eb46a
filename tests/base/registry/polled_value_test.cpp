#include "base/registry/polled_value.h"

#include <gtest/gtest.h>

#include "base/errors/vexception.h"
#include "support/sandbox.h"
#include "support/test_context.h"

namespace wc {

using testing_support::context;

using namespace registry;

namespace {

const std::wstring kConfig = L"SOFTWARE\\Halvo\\HCP Config\\Config";

void setDebug(uint32_t value) { create(context, Root::LocalMachine, kConfig, KEY_WRITE).set(L"Debug", value); }

}  // namespace

TEST(PolledDword, ReadsTheStoreOnlyWhenDueAndKeepsTheValueReadLast) {
  testing_support::Sandbox sandbox;
  PolledDword debug(context, Root::LocalMachine, kConfig, L"Debug", kView32, 7);
  EXPECT_EQ(debug.get(), 7u);  // nothing stored: the initial value

  setDebug(1);
  for (int call = 1; call < 16; ++call) EXPECT_EQ(debug.get(), 7u) << call;
  EXPECT_EQ(debug.get(), 1u);  // the 17th call reads again

  // Errors reach the caller; the value read last stays.
  create(context, Root::LocalMachine, kConfig, KEY_WRITE).set(L"Debug", L"text");
  for (int call = 1; call < 16; ++call) debug.get();
  EXPECT_THROW(debug.get(), vexception);
  EXPECT_EQ(debug.get(), 1u);

  // A reader that gives up keeps its value for good.
  setDebug(9);
  debug.stopPolling();
  for (int call = 0; call < 40; ++call) EXPECT_EQ(debug.get(), 1u);
}

}  // namespace wc
