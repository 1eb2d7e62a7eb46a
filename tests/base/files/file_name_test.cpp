#include "base/files/file_name.h"

#include <gtest/gtest.h>

#include "base/errors/vexception.h"
#include "support/failures.h"

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

TEST(VFileNameCombine, JoinsWithOneSeparatorAndResolvesDotSegments) {
  const struct {
    const wchar_t* directory;
    const wchar_t* name;
    const wchar_t* expected;
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
  };
  for (const auto& c : cases) {
    EXPECT_EQ(VFileName::combine(c.directory, c.name), native(c.expected)) << c.directory << L" + " << c.name;
  }
}

// On Windows a drive, a share or a "\\?\" prefix is a root; on POSIX each is
// an ordinary name.
TEST(VFileNameCombine, WindowsRootsStandOnTheirOwnOnlyOnWindows) {
  const struct {
    const wchar_t* directory;
    const wchar_t* name;
    const wchar_t* windows;
    const wchar_t* posix;
  } cases[] = {
      {L"C:\\data", L"D:\\x", L"D:\\x", L"C:\\data/D:\\x"},
      {L"/opt", L"C:/x", L"C:\\x", L"/opt/C:/x"},
      {L"C:/data", L"conf", L"C:\\data\\conf", L"C:/data/conf"},
      {L"C:\\data", L"..\\..\\x", L"C:\\x", L"C:\\data/..\\..\\x"},
      {L"C:\\data", L"\\x", L"C:\\x", L"C:\\data/\\x"},
      {L"C:", L"x", L"C:\\x", L"C:/x"},
      {L"\\\\server\\share\\a", L"..\\..\\x", L"\\\\server\\share\\x", L"\\\\server\\share\\a/..\\..\\x"},
      {L"\\\\?\\C:\\a", L"..\\..", L"\\\\?\\C:\\", L"\\\\?\\C:\\a/..\\.."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(VFileName::combine(c.directory, c.name), onWindows() ? c.windows : c.posix)
        << c.directory << L" + " << c.name;
  }
  EXPECT_EQ(VFileName::parent(L"C:\\x"), onWindows() ? L"C:\\" : L"");
  EXPECT_EQ(VFileName::parent(L"C:\\"), L"");
  EXPECT_EQ(normalizeDirectoryPath(L"C:/"), onWindows() ? L"C:/" : L"C:");
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

TEST(VFileNameParts, ParentAndName) {
  EXPECT_EQ(VFileName::parent(L"/opt/tomcat/conf"), L"/opt/tomcat");
  EXPECT_EQ(VFileName::parent(L"/opt/tomcat/conf///"), L"/opt/tomcat");
  EXPECT_EQ(VFileName::parent(L"/opt//tomcat"), L"/opt");
  EXPECT_EQ(VFileName::parent(L"/opt"), L"/");
  EXPECT_EQ(VFileName::parent(L"/"), L"");
  EXPECT_EQ(VFileName::parent(L"name"), L"");
  EXPECT_EQ(VFileName::name(L"/opt/tomcat/"), L"tomcat");
  EXPECT_EQ(VFileName::name(L"server.xml"), L"server.xml");
}

TEST(NormalizeDirectoryPath, RemovesTrailingSeparatorsButKeepsTheRoot) {
  EXPECT_EQ(normalizeDirectoryPath(L"/var/opt/halvo///"), L"/var/opt/halvo");
  EXPECT_EQ(normalizeDirectoryPath(L"/var/opt/halvo"), L"/var/opt/halvo");
  EXPECT_EQ(normalizeDirectoryPath(L"///"), L"/");
  EXPECT_EQ(normalizeDirectoryPath(L""), L"");
  EXPECT_EQ(normalizeDirectoryPath(L"dir\\"), onWindows() ? L"dir" : L"dir\\");
}

}  // namespace
