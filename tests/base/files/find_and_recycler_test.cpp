#include <gtest/gtest.h>

#include <regex>

#include "base/errors/os_error.h"
#include "base/errors/strict_convert.h"
#include "base/files/copy.h"
#include "base/files/find_file_names.h"
#include "base/files/holding_processes.h"
#include "base/files/recycler.h"
#include "base/files/remove.h"
#include "base/files/vfile.h"
#include "files_test_support.h"
#include "support/under_wine.h"

namespace wc {

using namespace files_test;

namespace {

TEST(MatchesWildcard, SystemRules) {
  using Case = std::pair<const wchar_t*, const wchar_t*>;
  for (auto [name, pattern] : {Case{L"site.war", L"*.war"}, Case{L"SITE.WAR", L"*.war"}, Case{L".war", L"*.war"},
                               Case{L"noextension", L"*.*"}, Case{L"a.b.c", L"*.*"}, Case{L"crash1.dmp", L"crash?.dmp"},
                               Case{L"aXbXc", L"a*b*c"}, Case{L"", L"*"}, Case{L"CAF\u00c9.war", L"caf\u00e9.*"}}) {
    EXPECT_TRUE(matchesWildcard(name, pattern)) << name << L" " << pattern;
  }
  for (auto [name, pattern] :
       {Case{L"site.war.bak", L"*.war"}, Case{L"war", L"*.war"}, Case{L"crash12.dmp", L"crash?.dmp"},
        Case{L"aXbXd", L"a*b*c"}, Case{L"a@b", L"a`b"}, Case{L"a[b", L"a{b"}}) {
    EXPECT_FALSE(matchesWildcard(name, pattern)) << name << L" " << pattern;
  }
}

TEST(FindFileNames, MatchingNamesSortedWithTheirKindAndAMissingDirectoryThrows) {
  TempDir dir;
  writeFile(dir / "b.war", "");
  writeFile(dir / "A.WAR", "");
  writeFile(dir / "C.war", "");  // after "b.war" only when letter case is ignored
  writeFile(dir / "c.txt", "");
  makeDirectories(dir / "d.war");
  std::vector<std::pair<std::wstring, bool>> found;
  for (const FoundName& f : findFileNames(context, w(dir.path()), L"*.war")) found.emplace_back(f.name, f.directory);
  EXPECT_EQ(found, (std::vector<std::pair<std::wstring, bool>>{
                       {L"A.WAR", false}, {L"b.war", false}, {L"C.war", false}, {L"d.war", true}}));
  EXPECT_TRUE(findFileNames(context, w(dir.path()), L"*.dmp").empty());
  // Names in lower case only, as the panel writes them, sort the same way.
  makeDirectories(dir / "lower");
  for (const char* name : {"lower/c.war", "lower/a.war", "lower/b.war"}) writeFile(dir / name, "");
  std::vector<std::wstring> lower;
  for (const FoundName& f : findFileNames(context, w(dir / "lower"), L"*.war")) lower.push_back(f.name);
  EXPECT_EQ(lower, (std::vector<std::wstring>{L"a.war", L"b.war", L"c.war"}));
  failureHolding<VPathNotFoundException>([&] { findFileNames(context, w(dir / "none"), L"*.war"); },
                                         L"List directory '" + w(dir / "none") + L"'", "findFileNames");
}

TEST(Recycler, GuidsAreFreshAndWellFormed) {
  const std::wregex form(L"\\{[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\\}");
  const std::wstring first = newGuidText(), second = newGuidText();
  for (const std::wstring& guid : {first, second}) EXPECT_TRUE(std::regex_match(guid, form)) << cstr(guid);
  EXPECT_NE(first, second);
}

TEST(Recycler, LivesAtTheSandboxRoot) {
  Sandbox sandbox;
  makeDirectories(sandbox.path("var/tomcat"));
  const std::string expected = sandbox.path("Recycler/{86066D57-9347-46a7-B4DB-971D9EF36D29}");
  EXPECT_EQ(recyclerDirectory(context, w(sandbox.path("var/tomcat/file.war"))), native(expected));
  EXPECT_TRUE(pathExists(expected));
  // A path the helpers joined, with the platform's separators, is inside too.
  EXPECT_EQ(recyclerDirectory(context, native(sandbox.path("var/tomcat"))), native(expected));
}

TEST(Recycler, GivesUpAfterAHundredTakenNames) {
  TempDir dir;
  FaultyFileSystem fs;
  const Context context = testContext(fs);
  fs.failWhen(FsCall::GetAttributes, L"{", ERROR_ACCESS_DENIED);  // every candidate looks taken
  const auto e = failureOf([&] { uniqueNameIn(context, w(dir.path())); });
  EXPECT_EQ(e.message(), L"Unable to create temporary name in (" + w(dir.path()) + L")");
  EXPECT_EQ(fs.count(FsCall::GetAttributes), 100);
}

TEST(HoldingProcesses, EachHolderHasALineOfItsOwnAndSharingViolationsNameThem) {
  WC_SKIP_UNDER_WINE("the Restart Manager's RmGetList finds no processes");
  TempDir dir;
  makeDirectories(dir / "tree");
  for (const char* name : {"tree/one", "two", "free"}) writeFile(dir / name, "x");
  HoldingChild first(dir / "tree/one");
  const std::wstring entry = L"PID(" + std::to_wstring(first.pid()) + L") '";
  const std::wstring list = RunTime::getProccessesByOpenedFiles({w(dir / "free"), w(dir / "tree/one")});
  ASSERT_EQ(list.find(entry), 0u) << cstr(list);
  EXPECT_EQ(list.find(L'\n'), std::wstring::npos) << cstr(list);
  EXPECT_TRUE(holds(list, L"test_files") && list.back() == L'\'') << cstr(list);  // the holder's program
  EXPECT_EQ(RunTime::getProccessesByOpenedFiles({w(dir / "free")}), L"");
  EXPECT_EQ(RunTime::getProccessesByOpenedFiles({}), L"");

  HoldingChild second(dir / "two");
  const std::wstring both = RunTime::getProccessesByOpenedFiles({w(dir / "tree/one"), w(dir / "two")});
  const size_t newline = both.find(L'\n');
  ASSERT_NE(newline, std::wstring::npos) << cstr(both);
  EXPECT_EQ(both.find(L'\n', newline + 1), std::wstring::npos);
  EXPECT_TRUE(holds(both, entry));
  EXPECT_TRUE(holds(both, L"PID(" + std::to_wstring(second.pid()) + L") '"));

  // POSIX lets an open file go; Windows would not.
  FaultyFileSystem fs;
  for (FsCall call : {FsCall::CopyFile, FsCall::MoveFile, FsCall::DeleteFile})
    fs.failWhen(call, L"one", ERROR_SHARING_VIOLATION);
  RecordingClock clock;
  const Context context = testContext(fs, clock);
  const std::wstring one = w(dir / "tree/one");
  EXPECT_TRUE(
      holds(failureOf<VSharingViolationException>([&] { copyFile(context, one, w(dir / "b"), false); }).message(),
            L"Copy file '" + one + L"' to '" + w(dir / "b") + L"'. Processes: " + entry));
  EXPECT_TRUE(holds(failureOf<VSharingViolationException>([&] { VFile::rename(context, one, w(dir / "b")); }).message(),
                    L"Rename file '" + one + L"' to '" + w(dir / "b") + L"'. Processes: " + entry));
  EXPECT_TRUE(clock.sleeps.empty());  // one try
  EXPECT_TRUE(holds(failureOf<VSharingViolationException>([&] { removeDir(context, w(dir / "tree"), true); }).message(),
                    L"Delete file '" + native(dir / "tree/one") + L"'. Processes: " + entry));
}

}  // namespace

}  // namespace wc
