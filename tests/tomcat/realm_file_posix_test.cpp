// The realm file's mode: readable by its owner and Tomcat's group only.

#include <sys/stat.h>

#include "tomcat/tomcat_test_machine.h"

namespace wc {

namespace tomcat_test {
namespace {

unsigned modeOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 0777;
}

TEST_F(TomcatTest, RealmFileIsWrittenAndTightenedToMode0640) {
  const std::string file = home("hcp-users/h.test.xml");
  install("h.test");
  EXPECT_EQ(modeOf(file), 0640u);
  chmod(file.c_str(), 0644);  // as an earlier version left it
  manager.installService(L"h.test", L"root", L"second", L"1111", L"2222");
  EXPECT_EQ(modeOf(file), 0640u);
}

}  // namespace
}  // namespace tomcat_test

}  // namespace wc
