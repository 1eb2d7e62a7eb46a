// The crash-dump settings, the names of dump files and the clean-up of the
// dump directory at program end.

#include "base/crashdump/crash_dump_info.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/errors/fault_signals.h"
#include "base/errors/strict_convert.h"
#include "base/errors/vexception.h"
#include "base/system/clock.h"
#include "support/failures.h"
#include "support/sandbox.h"
#include "support/service_fakes.h"

namespace {

namespace fs = std::filesystem;
using testing_support::pathExists;
using testing_support::Sandbox;
using testing_support::writeFile;

constexpr LocalTime kFaultTime{2026, 12, 4, 10, 21, 50, 0};

// The registry text of the panel's key with the given value lines.
std::string configKey(const std::string& values) {
  return "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config]\n" + values;
}

std::string stringValue(const std::string& name, const std::string& value) {
  return "\"" + name + "\"=\"" + value + "\"\n";
}

std::string dwordValue(const std::string& name, uint32_t value) {
  char text[9];
  std::snprintf(text, sizeof text, "%08x", value);
  return "\"" + name + "\"=dword:" + text + "\n";
}

std::vector<std::string> namesIn(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Files named wcadminNN.dmp, each one minute newer than the next (wcadmin00 is
// the newest).
void writeAgedDumps(const std::string& directory, int count) {
  testing_support::makeDirectories(directory);
  const auto base = fs::file_time_type::clock::now() - std::chrono::hours(1);
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "wcadmin%02d.dmp", i);
    const std::string path = directory + "/" + name;
    writeFile(path, "dump");
    // Ages run against the order of the names, so that the test sees last-write
    // time, not the name, deciding.
    fs::last_write_time(path, base + std::chrono::minutes(count - i));
  }
}

TEST(CrashDumpInfo, DefaultsFollowTheProductRootAndNamesTheLocalTime) {
  Sandbox sandbox;
  const std::string root = sandbox.path("opt/halvo");
  sandbox.writeRegistry(configKey(stringValue("PRODUCT_ROOT_D", root)));

  CrashDumpInfo info;
  EXPECT_TRUE(info.enabled());
  EXPECT_EQ(info.maxCount(), 10u);
  EXPECT_EQ(info.location(), wstr(root + "/etc/crashdumps"));
  EXPECT_EQ(info.prefix(), L"test_crashdump");
  // Created at once, before any fault.
  EXPECT_TRUE(fs::is_directory(root + "/etc/crashdumps"));

  fake::FixedClock clock(fromLocalTime(kFaultTime));
  EXPECT_EQ(info.getFileName(), wstr(root + "/etc/crashdumps/test_crashdump20261204_102150.dmp"));
  // The same instant gives the same name: a later dump of that second replaces it.
  EXPECT_EQ(info.getFileName(), wstr(root + "/etc/crashdumps/test_crashdump20261204_102150.dmp"));
}

TEST(CrashDumpInfo, LongNamesAreCutAt260Characters) {
  Sandbox sandbox;
  std::string location = sandbox.path("dumps");
  while (location.size() < 240) location += "/abcdefghijklmnopqrstuvwxyz";
  sandbox.writeRegistry(
      configKey(stringValue("PRODUCT_ROOT_D", sandbox.path("opt")) + stringValue("CrashDumpsLocation", location)));
  fake::FixedClock clock(fromLocalTime(kFaultTime));

  CrashDumpInfo info;
  ASSERT_TRUE(info.enabled());
  const std::wstring full = wstr(location + "/test_crashdump20261204_102150.dmp");
  ASSERT_GT(full.size(), 260u);
  const std::wstring& name = info.getFileName();
  EXPECT_EQ(name.size(), 260u);
  EXPECT_EQ(name, full.substr(0, 260));
}

TEST(CrashDumpInfo, DisabledDumpsCreateNothingAndPruneNothing) {
  Sandbox sandbox;
  const std::string root = sandbox.path("opt/halvo");
  sandbox.writeRegistry(configKey(stringValue("PRODUCT_ROOT_D", root) + dwordValue("CrashDumpsEnabled", 0)));
  {
    CrashDumpInfo info;
    EXPECT_FALSE(info.enabled());
    EXPECT_FALSE(pathExists(root + "/etc/crashdumps"));
    {
      const auto e = testing_support::failureOf<vexception>([&] { info.getFileName(); });
      EXPECT_EQ(e.message(), L"Crash dumping does not enabled");
      ASSERT_EQ(e.callPoints().size(), 1u);
      EXPECT_EQ(e.callPoints()[0].function, "CrashDumpInfo::getFileName");
    }
    FaultContext fault;
    writeDumpIfEnabled(&fault, info);
    EXPECT_FALSE(pathExists(root + "/etc/crashdumps"));
    // Dumps already there stay, all twelve.
    writeAgedDumps(root + "/etc/crashdumps", 12);
  }
  EXPECT_EQ(namesIn(root + "/etc/crashdumps").size(), 12u);
}

TEST(CrashDumpInfo, MissingOrUnusableSettingsSwitchDumpsOff) {
  struct Case {
    const char* what;
    std::string values;
  };
  Sandbox sandbox;
  const std::string root = sandbox.path("opt/halvo");
  writeFile(sandbox.path("file-in-the-way"), "x");
  const std::vector<Case> cases = {
      {"no product root", dwordValue("CrashDumpsEnabled", 1)},
      {"empty product root", stringValue("PRODUCT_ROOT_D", "")},
      {"switch of the wrong type", stringValue("PRODUCT_ROOT_D", root) + stringValue("CrashDumpsEnabled", "1")},
      {"location that cannot be a directory",
       stringValue("PRODUCT_ROOT_D", root) + stringValue("CrashDumpsLocation", sandbox.path("file-in-the-way/d"))},
      {"empty location", stringValue("PRODUCT_ROOT_D", root) + stringValue("CrashDumpsLocation", "")},
      {"count of the wrong type", stringValue("PRODUCT_ROOT_D", root) + stringValue("CrashDumpsMaxCount", "3")},
      {"no key at all", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sandbox.writeRegistry(c.values.empty() ? "" : configKey(c.values));
    CrashDumpInfo info;
    EXPECT_FALSE(info.enabled());
  }
}

TEST(CrashDumpInfo, ConfiguredLocationIsUsedAndOnlyItIsPruned) {
  Sandbox sandbox;
  const std::string root = sandbox.path("opt/halvo");
  const std::string location = sandbox.path("var/dumps");
  sandbox.writeRegistry(configKey(stringValue("PRODUCT_ROOT_D", root) +
                                  stringValue("CrashDumpsLocation", location + "/") +
                                  dwordValue("CrashDumpsMaxCount", 3)));
  writeAgedDumps(root + "/etc/crashdumps", 5);
  fake::FixedClock clock(fromLocalTime(kFaultTime));
  {
    CrashDumpInfo info;
    EXPECT_EQ(info.location(), wstr(location));
    EXPECT_EQ(info.maxCount(), 3u);
    EXPECT_TRUE(fs::is_directory(location));
    EXPECT_EQ(info.getFileName(), wstr(location + "/test_crashdump20261204_102150.dmp"));
    writeAgedDumps(location, 5);
  }
  // wcadmin00 is the newest.
  EXPECT_EQ(namesIn(location), (std::vector<std::string>{"wcadmin00.dmp", "wcadmin01.dmp", "wcadmin02.dmp"}));
  EXPECT_EQ(namesIn(root + "/etc/crashdumps").size(), 5u);
}

TEST(CrashDumpInfo, PruningKeepsTheNewestTenDumpsOfAnyLetterCaseAndNothingElse) {
  Sandbox sandbox;
  const std::string root = sandbox.path("opt/halvo");
  const std::string location = root + "/etc/crashdumps";
  sandbox.writeRegistry(configKey(stringValue("PRODUCT_ROOT_D", root)));
  {
    CrashDumpInfo info;
    writeAgedDumps(location, 12);
    // Older than every dump, and none of them a dump file to delete.
    const auto ancient = fs::file_time_type::clock::now() - std::chrono::hours(48);
    fs::create_directory(location + "/x.dmp");
    fs::last_write_time(location + "/x.dmp", ancient);
    for (const char* other : {"y.zip", "Y.ZIP", "notes.txt", "OLD.DMP"}) {
      writeFile(location + "/" + other, "keep");
      fs::last_write_time(location + "/" + other, ancient);
    }
  }
  // OLD.DMP is a dump too, and the oldest.
  std::vector<std::string> expected = {"Y.ZIP", "notes.txt", "x.dmp", "y.zip"};
  // wcadmin10 and wcadmin11 are the oldest by last-write time.
  for (int i = 0; i < 10; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "wcadmin%02d.dmp", i);
    expected.push_back(name);
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(namesIn(location), expected);
}

TEST(CrashDumpInfo, ProgramNameLosesDirectoryAndExtension) {
  EXPECT_EQ(programNameWithoutExtension(L"/opt/halvo/admin/bin/wcadmin"), L"wcadmin");
  EXPECT_EQ(programNameWithoutExtension(L"/opt/halvo/bin/wcadmin.exe"), L"wcadmin");
  EXPECT_EQ(programNameWithoutExtension(L"/a.b/c/tool.tar.gz"), L"tool.tar");
  EXPECT_EQ(programNameWithoutExtension(L"/home/x/.hidden"), L".hidden");
}

TEST(CrashDumpInfo, DumpFileNames) {
  EXPECT_TRUE(isDumpFileName(L"wcadmin20261204_102150.dmp"));
  EXPECT_TRUE(isDumpFileName(L"A.DMP"));
  EXPECT_FALSE(isDumpFileName(L"x.dmp.zip"));
  EXPECT_FALSE(isDumpFileName(L"x.zip"));
  EXPECT_FALSE(isDumpFileName(L"x.dmpx"));
}

}  // namespace
