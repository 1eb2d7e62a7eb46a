#include "base/files/file_name.h"

#include <gtest/gtest.h>

#include "base/errors/vexception.h"
#include "support/failures.h"

using testing_support::failureOf;

namespace {

TEST(VFileNameCombine, JoinsWithOneSeparatorAndResolvesDotSegments) {
  EXPECT_EQ(VFileName::combine(L"/opt/tomcat", L"conf"), L"/opt/tomcat/conf");
  EXPECT_EQ(VFileName::combine(L"/opt/tomcat/", L"conf"), L"/opt/tomcat/conf");
  EXPECT_EQ(VFileName::combine(L"/opt//tomcat", L"conf/server.xml"), L"/opt/tomcat/conf/server.xml");
  EXPECT_EQ(VFileName::combine(L"/", L"etc"), L"/etc");
  EXPECT_EQ(VFileName::combine(L"relative", L"name"), L"relative/name");
  EXPECT_EQ(VFileName::combine(L"/data", L"work\\HCP"), L"/data/work\\HCP");
  EXPECT_EQ(VFileName::combine(L"/opt/tomcat", L"/etc/hosts"), L"/etc/hosts");
  EXPECT_EQ(VFileName::combine(L"", L"name"), L"name");
  EXPECT_EQ(VFileName::combine(L"/opt/tomcat", L""), L"/opt/tomcat");
  EXPECT_EQ(VFileName::combine(L"", L""), L"");
  EXPECT_EQ(VFileName::combine(L"/opt/tomcat/bin", L"../conf"), L"/opt/tomcat/conf");
  EXPECT_EQ(VFileName::combine(L"/opt/./tomcat", L"./conf"), L"/opt/tomcat/conf");
  EXPECT_EQ(VFileName::combine(L"/", L"../../etc"), L"/etc");  // never above the root
  EXPECT_EQ(VFileName::combine(L"a", L"../../b"), L"../b");
  EXPECT_EQ(VFileName::combine(L"a", L".."), L".");
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
  EXPECT_EQ(normalizeDirectoryPath(L"dir\\"), L"dir\\");
}

}  // namespace
