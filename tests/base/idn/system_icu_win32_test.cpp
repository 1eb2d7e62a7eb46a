// The chain that the UTS #46 conversion takes ICU's C API from. Wine has
// neither of the system's ICU libraries, so the chain is run here over
// libraries every Windows has.

#include "base/idn/system_icu_win32.h"

#include <gtest/gtest.h>

#include <optional>

namespace wc {

TEST(SystemIcu, TheFirstSystemLibraryThatExportsEveryFunctionIsTaken) {
  // The combined library first: where both exist, it is the current one.
  EXPECT_EQ(systemIcuLibraryNames(), (std::vector<std::wstring>{L"icu.dll", L"icuuc.dll"}));
  const struct {
    std::vector<std::wstring> names;
    std::vector<const char*> functions;
    std::optional<size_t> chosen;
  } cases[] = {
      {{L"wc-no-such-library.dll", L"kernel32.dll"}, {"GetTickCount"}, 1},
      // A library without one of the functions is passed over.
      {{L"kernel32.dll", L"ntdll.dll"}, {"NtClose", "NtQueryInformationProcess"}, 1},
      {{L"ntdll.dll", L"kernel32.dll"}, {"NtClose"}, 0},
      {{L"wc-no-such-library.dll", L"kernel32.dll"}, {"NtQueryInformationProcess"}, std::nullopt},
  };
  for (const auto& c : cases) {
    void* module = nullptr;
    EXPECT_EQ(loadFirstSystemLibrary(c.names, c.functions, module), c.chosen) << c.functions.front();
    EXPECT_EQ(module != nullptr, c.chosen.has_value());
  }
}

}  // namespace wc
