// Several processes at once, each setting its own values: the store's
// exclusive lock and merge must keep every one of them.

#include <gtest/gtest.h>

#include <thread>

#include "base/registry/registry.h"
#include "support/sandbox.h"
#include "support/test_context.h"

namespace wc {

using testing_support::context;

using namespace registry;

TEST(RegistryConcurrency, ProcessesSettingTheirOwnValuesAllSurvive) {
  testing_support::Sandbox sandbox;
  constexpr int kProcesses = 4, kValues = 5;
  std::vector<std::thread> threads;
  std::vector<int> failures(kProcesses, 0);
  for (int p = 0; p < kProcesses; ++p) {
    threads.emplace_back([&, p] {
      for (int v = 0; v < kValues; ++v) {
        auto result = testing_support::runProgram(
            "hcpreg", {"add", "HKLM\\SOFTWARE\\Halvo\\Shared", "/v",
                       std::string("p").append(std::to_string(p)).append("_").append(std::to_string(v)), "/t",
                       "REG_DWORD", "/d", std::to_string(v), "/f"});
        if (result.exitCode != 0) ++failures[p];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures, std::vector<int>(kProcesses, 0));
  RegistryKey key = open(context, Root::LocalMachine, L"SOFTWARE\\Halvo\\Shared", KEY_READ);
  EXPECT_EQ(key.valueNames().size(), static_cast<size_t>(kProcesses * kValues));
}

}  // namespace wc
