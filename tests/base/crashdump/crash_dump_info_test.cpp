// The crash-dump settings, the names of dump files and the clean-up of the
// dump directory at program end.

#include "base/crashdump/crash_dump_info.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "base/errors/strict_convert.h"
#include "base/system/clock.h"
#include "support/failures.h"
#include "support/sandbox.h"
#include "support/service_fakes.h"

namespace wc {

using testing_support::context;

namespace {

using testing_support::namesIn;
using testing_support::pathExists;
using testing_support::Sandbox;

// The panel's settings: a product root, then further value lines.
void writeSettings(const Sandbox& sandbox, const std::string& root, const std::string& values) {
  sandbox.writeRegistry(testing_support::kConfigSection + "\"PRODUCT_ROOT_D\"=\"" + root + "\"\n" + values);
}

// A path the product composed, with '/' for the separator of either platform.
std::string slashed(const std::wstring& path) {
  std::string text = cstr(path);
  std::replace(text.begin(), text.end(), '\\', '/');
  return text;
}

// wNN.dmp for NN from `first` to `last`.
std::vector<std::string> dumpNames(int first, int last) {
  std::vector<std::string> names;
  for (int i = first; i <= last; ++i)
    names.push_back(std::string("w").append(std::to_string(100 + i), 1).append(".dmp"));
  return names;
}

// Creates the entries oldest first ("name/" is a directory), each later than
// the one before by more than a step of the file system's clock.
void createInAgeOrder(const std::string& directory, const std::vector<std::string>& names) {
  testing_support::makeDirectories(directory);
  for (const std::string& name : names) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    name.back() == '/' ? testing_support::makeDirectories(directory + "/" + name)
                       : testing_support::writeFile(directory + "/" + name, "dump");
  }
}

TEST(CrashDumpInfo, SettingsGiveTheDirectoryCountAndNamesOfDumps) {
  Sandbox sandbox;
  const std::string root = sandbox.path("opt");
  fake::FixedClock clock(fromLocalTime(LocalTime{2026, 12, 4, 10, 21, 50, 0}));
  const Context context = testing_support::testContext(clock);
  struct Case {
    std::string values;
    std::string location;
    uint32_t maxCount;
  };
  for (const Case& c :
       {Case{"", root + "/etc/crashdumps", 10},
        Case{"\"CrashDumpsLocation\"=\"" + sandbox.path("var/dumps/") + "\"\n\"CrashDumpsMaxCount\"=dword:00000003\n",
             sandbox.path("var/dumps"), 3}}) {
    SCOPED_TRACE(c.location);
    writeSettings(sandbox, root, c.values);
    CrashDumpInfo info(context);
    ASSERT_TRUE(info.enabled());
    EXPECT_EQ(slashed(info.location()), c.location);
    EXPECT_EQ(info.maxCount(), c.maxCount);
    // Created at once, before any fault.
    EXPECT_TRUE(std::filesystem::is_directory(c.location));
    EXPECT_EQ(slashed(info.getFileName()), c.location + "/test_crashdump20261204_102150.dmp");
  }

  std::string location = sandbox.path("long");
  while (location.size() < 240) location += "/abcdefghijklmnopqrstuvwxyz";
  writeSettings(sandbox, root, "\"CrashDumpsLocation\"=\"" + location + "\"\n");
  CrashDumpInfo info(context);
  ASSERT_TRUE(info.enabled());
  EXPECT_EQ(slashed(info.getFileName()), (location + "/test_crashdump20261204_102150.dmp").substr(0, 260));
}

TEST(CrashDumpInfo, DisabledDumpsCreateNothingAndPruneNothing) {
  Sandbox sandbox;
  const std::string root = sandbox.path("opt");
  writeSettings(sandbox, root, "\"CrashDumpsEnabled\"=dword:00000000\n");
  const std::vector<std::string> dumps = dumpNames(0, 11);
  {
    CrashDumpInfo info(context);
    EXPECT_FALSE(info.enabled());
    EXPECT_FALSE(pathExists(root + "/etc/crashdumps"));
    const auto e = testing_support::failureOf([&] { info.getFileName(); });
    EXPECT_EQ(e.message(), L"Crash dumping does not enabled");
    ASSERT_EQ(e.callPoints().size(), 1u);
    EXPECT_EQ(e.callPoints()[0].function, "CrashDumpInfo::getFileName");
    int notAFault = 0;
    writeDumpIfEnabled(&notAFault, info);
    EXPECT_FALSE(pathExists(root + "/etc/crashdumps"));
    createInAgeOrder(root + "/etc/crashdumps", dumps);
  }
  EXPECT_EQ(namesIn(root + "/etc/crashdumps"), dumps);
}

TEST(CrashDumpInfo, MissingOrUnusableSettingsSwitchDumpsOff) {
  Sandbox sandbox;
  const std::string root = sandbox.path("opt");
  testing_support::writeFile(sandbox.path("file-in-the-way"), "x");
  const std::string section = testing_support::kConfigSection;
  const std::string rootValue = "\"PRODUCT_ROOT_D\"=\"" + root + "\"\n";
  for (const std::string& settings : {
           section + "\"CrashDumpsEnabled\"=dword:00000001\n",
           section + "\"PRODUCT_ROOT_D\"=\"\"\n",
           section + rootValue + "\"CrashDumpsEnabled\"=\"1\"\n",
           section + rootValue + "\"CrashDumpsLocation\"=\"" + sandbox.path("file-in-the-way/d") + "\"\n",
           section + rootValue + "\"CrashDumpsLocation\"=\"\"\n",
           section + rootValue + "\"CrashDumpsMaxCount\"=\"3\"\n",
           std::string(),
       }) {
    SCOPED_TRACE(settings);
    sandbox.writeRegistry(settings);
    CrashDumpInfo info(context);
    EXPECT_FALSE(info.enabled());
  }
}

TEST(CrashDumpInfo, PruningKeepsTheNewestDumpsOfTheDumpDirectoryOnly) {
  Sandbox sandbox;
  const std::string root = sandbox.path("opt");
  const std::string location = sandbox.path("var/dumps");
  // The oldest entries are no dumps (x.dmp is a directory). The dumps' ages
  // run against their names: the time decides, not the name.
  std::vector<std::string> entries = {"x.dmp/", "notes.txt", "x.dmp.zip", "OLD.DMP"};
  for (const std::string& name : dumpNames(0, 10)) entries.insert(entries.begin() + 4, name);
  createInAgeOrder(root + "/etc/crashdumps", entries);
  createInAgeOrder(location, entries);

  // Twelve dumps, ten allowed by default: the two oldest go.
  writeSettings(sandbox, root, "");
  { CrashDumpInfo info(context); }
  std::vector<std::string> kept = dumpNames(0, 9);
  kept.insert(kept.begin(), "notes.txt");
  kept.insert(kept.end(), {"x.dmp", "x.dmp.zip"});
  EXPECT_EQ(namesIn(root + "/etc/crashdumps"), kept);

  // A dump directory of its own and three allowed: nothing else is pruned.
  writeSettings(sandbox, root, "\"CrashDumpsLocation\"=\"" + location + "\"\n\"CrashDumpsMaxCount\"=dword:00000003\n");
  { CrashDumpInfo info(context); }
  EXPECT_EQ(namesIn(location),
            (std::vector<std::string>{"notes.txt", "w00.dmp", "w01.dmp", "w02.dmp", "x.dmp", "x.dmp.zip"}));
  EXPECT_EQ(namesIn(root + "/etc/crashdumps"), kept);
}

}  // namespace

}  // namespace wc
