#include "base/files/file_name.h"

#include <gtest/gtest.h>

#include "base/errors/vexception.h"
#include "support/failures.h"
#include "support/sandbox.h"

namespace wc {

using testing_support::failureOf;

namespace {

// `path` with '/' written as the platform's separator.
std::wstring native(std::wstring path) {
  for (wchar_t& c : path) {
    if (c == L'/') c = pathSeparator();
  }
  return path;
}

bool onWindows() { return pathSeparator() == L'\\'; }

TEST(VFileNameCombine, JoinsWithOneSeparatorAndResolvesDotSegmentsAboveEachPlatformsRoots) {
  const struct {
    const wchar_t* directory;
    const wchar_t* name;
    const wchar_t* posix;  // on Windows with '\' for '/', unless:
    const wchar_t* windows = nullptr;
  } cases[] = {
      {L"/opt/tomcat", L"conf", L"/opt/tomcat/conf"},
      {L"/opt/tomcat/", L"conf", L"/opt/tomcat/conf"},
      {L"/opt//tomcat", L"conf/server.xml", L"/opt/tomcat/conf/server.xml"},
      {L"/", L"etc", L"/etc"},
      {L"relative", L"name", L"relative/name"},
      {L"/data", L"work\\HCP", L"/data/work\\HCP"},
      {L"/opt/tomcat", L"/etc/hosts", L"/etc/hosts"},
      {L"", L"name", L"name"},
      {L"/opt/tomcat", L"", L"/opt/tomcat"},
      {L"", L"", L""},
      {L"/opt/tomcat/bin", L"../conf", L"/opt/tomcat/conf"},
      {L"/opt/./tomcat", L"./conf", L"/opt/tomcat/conf"},
      {L"/", L"../../etc", L"/etc"},  // never above the root
      {L"a", L"../../b", L"../b"},
      {L"a", L"..", L"."},
      // On Windows a drive, a share or a "\\?\" prefix is a root; on POSIX
      // each is an ordinary name.
      {L"C:\\data", L"D:\\x", L"C:\\data/D:\\x", L"D:\\x"},
      {L"/opt", L"C:/x", L"/opt/C:/x", L"C:\\x"},
      {L"C:/data", L"conf", L"C:/data/conf", L"C:\\data\\conf"},
      {L"C:\\data", L"..\\..\\x", L"C:\\data/..\\..\\x", L"C:\\x"},
      {L"C:\\data", L"\\x", L"C:\\data/\\x", L"C:\\x"},
      {L"C:", L"x", L"C:/x", L"C:\\x"},
      {L"\\\\server\\share\\a", L"..\\..\\x", L"\\\\server\\share\\a/..\\..\\x", L"\\\\server\\share\\x"},
      {L"\\\\?\\C:\\a", L"..\\..", L"\\\\?\\C:\\a/..\\..", L"\\\\?\\C:\\"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(VFileName::combine(c.directory, c.name), onWindows() && c.windows ? c.windows : native(c.posix))
        << c.directory << L" + " << c.name;
  }
}

TEST(VFileNameCombine, NulInsideOrAnOverlongResultFails) {
  const std::wstring bad(L"a\0b", 3);
  const auto e = failureOf([&] { VFileName::combine(L"/dir", bad); });
  EXPECT_EQ(e.message(), L"PathAllocCombine(/dir, " + bad + L") failed: error code 0x80070057");
  ASSERT_EQ(e.callPoints().size(), 1u);
  EXPECT_EQ(e.callPoints()[0].function, "VFileName::combine");
  const std::wstring longName(40000, L'x');
  EXPECT_THROW(VFileName::combine(L"/dir", longName), vexception);
}

TEST(VFileNameParts, ParentNameAndTheStoredFormOfADirectoryKeepTheRoot) {
  EXPECT_EQ(VFileName::parent(L"/opt/tomcat/conf"), L"/opt/tomcat");
  EXPECT_EQ(VFileName::parent(L"/opt/tomcat/conf///"), L"/opt/tomcat");
  EXPECT_EQ(VFileName::parent(L"/opt//tomcat"), L"/opt");
  EXPECT_EQ(VFileName::parent(L"/opt"), L"/");
  EXPECT_EQ(VFileName::parent(L"/"), L"");
  EXPECT_EQ(VFileName::parent(L"name"), L"");
  EXPECT_EQ(VFileName::parent(L"C:\\x"), onWindows() ? L"C:\\" : L"");
  EXPECT_EQ(VFileName::parent(L"C:\\"), L"");
  EXPECT_EQ(VFileName::name(L"/opt/tomcat/"), L"tomcat");
  EXPECT_EQ(VFileName::name(L"server.xml"), L"server.xml");
  EXPECT_EQ(normalizeDirectoryPath(L"/var/opt/halvo///"), L"/var/opt/halvo");
  EXPECT_EQ(normalizeDirectoryPath(L"/var/opt/halvo"), L"/var/opt/halvo");
  EXPECT_EQ(normalizeDirectoryPath(L"///"), L"/");
  EXPECT_EQ(normalizeDirectoryPath(L""), L"");
  EXPECT_EQ(normalizeDirectoryPath(L"dir\\"), onWindows() ? L"dir" : L"dir\\");
  EXPECT_EQ(normalizeDirectoryPath(L"C:/"), onWindows() ? L"C:/" : L"C:");
}

TEST(PathComparison, ContainmentAndEqualityFollowTheFileSystemsLetterCaseRule) {
  // What the file system itself says: NTFS finds "VAR" where "var" is, POSIX
  // file systems do not.
  testing_support::TempDir dir;
  testing_support::makeDirectories(dir / "var");
  const bool ignoresCase = testing_support::pathExists(dir / "VAR");
  const struct {
    const wchar_t* inner;
    const wchar_t* outer;
    bool inside;         // with letter case as written
    bool insideAnyCase;  // where the file system ignores it
  } cases[] = {
      {L"/Halvo/var/tomcat", L"/Halvo/var", true, true},
      {L"/Halvo/VAR/tomcat", L"/Halvo/var", false, true},
      {L"/halvo/var/", L"/Halvo/var/tomcat/..", false, false},  // the same directory
      {L"/Halvo/variable", L"/Halvo/var", false, false},
      {L"/Halvo/var/tomcat", L"/Halvo/var/", true, true},
      {L"/etc", L"/", true, true},
      {L"/Halvo", L"/Halvo/var", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(isPathInside(c.inner, c.outer), ignoresCase ? c.insideAnyCase : c.inside)
        << c.inner << L" in " << c.outer;
  }
  EXPECT_EQ(isSamePath(L"/halvo/var/", L"/Halvo/var/tomcat/.."), ignoresCase);
  EXPECT_TRUE(isSamePath(L"/Halvo//var/", L"/Halvo/var"));
  EXPECT_FALSE(isSamePath(L"/Halvo/var", L"/Halvo/va"));
}

}  // namespace

}  // namespace wc
