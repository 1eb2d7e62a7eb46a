// Several writers at once, each setting its own values: the store's exclusive
// lock and merge must keep every one of them.

#include <gtest/gtest.h>

#include <thread>

#include "base/registry/registry.h"
#include "support/sandbox.h"

using namespace registry;

TEST(RegistryConcurrency, ThreadsSettingTheirOwnValuesAllSurvive) {
  testing_support::Sandbox sandbox;
  const std::wstring key = L"SOFTWARE\\Halvo\\Concurrent";
  constexpr int kThreads = 4, kValues = 15;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int v = 0; v < kValues; ++v) {
        // Each write through its own handle, created as the other threads
        // create the same key, so creation races as well.
        RegistryKey handle = create(Root::LocalMachine, key + L"\\T" + std::to_wstring(t % 2), KEY_ALL_ACCESS);
        handle.set(L"v" + std::to_wstring(t) + L"_" + std::to_wstring(v), static_cast<uint32_t>(t * 100 + v));
      }
    });
  }
  for (std::thread& thread : threads) thread.join();

  for (int t = 0; t < kThreads; ++t) {
    for (int v = 0; v < kValues; ++v) {
      uint32_t value = 0;
      ASSERT_EQ(lookupDword(Root::LocalMachine, key + L"\\T" + std::to_wstring(t % 2),
                            L"v" + std::to_wstring(t) + L"_" + std::to_wstring(v), value, kView32),
                0u)
          << t << "/" << v;
      EXPECT_EQ(value, static_cast<uint32_t>(t * 100 + v));
    }
  }
  RegistryKey parent = open(Root::LocalMachine, key, KEY_READ);
  EXPECT_EQ(parent.subKeyNames().size(), 2u);  // each key named once despite the races
}

TEST(RegistryConcurrency, ProcessesSettingTheirOwnValuesAllSurvive) {
  testing_support::Sandbox sandbox;
  constexpr int kProcesses = 4, kValues = 5;
  std::vector<std::thread> threads;
  std::vector<int> failures(kProcesses, 0);
  for (int p = 0; p < kProcesses; ++p) {
    threads.emplace_back([&, p] {
      for (int v = 0; v < kValues; ++v) {
        auto result = testing_support::runProgram(
            "hcpreg", {"add", "HKLM\\SOFTWARE\\Halvo\\Shared", "/v", "p" + std::to_string(p) + "_" + std::to_string(v),
                       "/t", "REG_DWORD", "/d", std::to_string(v), "/f"});
        if (result.exitCode != 0) ++failures[p];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures, std::vector<int>(kProcesses, 0));
  RegistryKey key = open(Root::LocalMachine, L"SOFTWARE\\Halvo\\Shared", KEY_READ);
  EXPECT_EQ(key.valueNames().size(), static_cast<size_t>(kProcesses * kValues));
}
