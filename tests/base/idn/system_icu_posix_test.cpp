// The ICU common library of the display-form conversions, loaded at run time:
// not before a name needs converting, and, where it cannot be loaded, a
// failure in the loader's words.

#include "base/idn/system_icu_posix.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "base/errors/vexception.h"
#include "base/idn/display_form.h"
#include "base/idn/idna_platform.h"
#include "base/system/dynamic_library.h"
#include "base/text/convert.h"
#include "support/failures.h"

namespace wc {

namespace {

bool icuLoaded() {
  void* module = dlopen(cstrLenient(systemIcuLibraryFile()).c_str(), RTLD_LAZY | RTLD_NOLOAD);
  if (module) dlclose(module);
  return module != nullptr;
}

TEST(SystemIcu, LoadedOnlyWhenANameNeedsItsDisplayForm) {
  // Each case in a fresh process: the other tests of this program load ICU.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        toDisplayForm(L"www.example.com", false);
        std::exit(icuLoaded() ? 1 : 0);
      },
      testing::ExitedWithCode(0), "");
  EXPECT_EXIT(
      {
        toDisplayForm(L"xn--bcher-kva.test", false);
        std::exit(icuLoaded() ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
  // A library of that name that is none: the IDNA2003 path is taken, as on a
  // Windows without ICU, and fails with the loader's text.
  const std::string shadow = testing::TempDir() + "wc-icu-shadow";
  std::filesystem::create_directories(shadow);
  std::ofstream(shadow + "/" + cstrLenient(systemIcuLibraryFile())).put('\n');
  setenv("LD_LIBRARY_PATH", shadow.c_str(), 1);
  EXPECT_EXIT(
      {
        try {
          toDisplayForm(L"xn--bcher-kva.test", false);
        } catch (const vexception& e) {
          fprintf(stderr, "%s\n", cstrLenient(e.message()).c_str());
        }
        std::exit(hasUts46() ? 1 : 0);
      },
      testing::ExitedWithCode(0),
      "'xn--bcher-kva.test' .* using IDNA2003, name of the error code: .*libicuuc.so.* \\(Error code 193\\)\\.");
  unsetenv("LD_LIBRARY_PATH");
}

TEST(SystemIcu, LoadsTheLibraryWithEveryFunctionOrSaysWhatIsMissing) {
  EXPECT_EQ(systemIcuLibraryFile().rfind(L"libicuuc.so.", 0), 0u);
  const struct {
    std::wstring file;
    std::vector<std::string> functions;
    std::optional<std::wstring> failure;  // held by the text
  } cases[] = {
      {L"libc.so.6", {"getpid", "open"}, std::nullopt},
      {L"libwc-no-such-library.so.1", {"getpid"}, L"libwc-no-such-library.so.1"},
      {L"libwc-no-such-library.so.1", {"getpid"}, L"(Error code 126)"},
      {L"libc.so.6", {"getpid", "wc_no_such_function"}, L"wc_no_such_function"},
      {L"libc.so.6", {"getpid", "wc_no_such_function"}, L"(Error code 127)"},
  };
  for (const auto& c : cases) {
    DynamicLibrary loaded;
    std::vector<void*> addresses;
    const std::optional<std::wstring> failure = loadSystemLibrary(c.file, c.functions, loaded, addresses);
    EXPECT_EQ(failure.has_value(), c.failure.has_value()) << c.file << L" " << failure.value_or(L"");
    if (failure && c.failure) {
      EXPECT_TRUE(testing_support::holds(*failure, *c.failure));
    }
    EXPECT_EQ(loaded.loaded(), !c.failure);
    EXPECT_EQ(addresses.size(), c.failure ? 0u : c.functions.size());
  }
}

}  // namespace

}  // namespace wc
