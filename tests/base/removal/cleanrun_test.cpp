// The removal tool as the scheduled task runs it.

#include <gtest/gtest.h>

#include "base/removal/removal_task.h"
#include "removal_test_support.h"

namespace wc {

namespace {

using namespace removal_test;
using testing_support::pathExists;
using testing_support::runProgram;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class CleanrunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FixedClock clock(1'704'164'880);
    const Context context = testContext(clock);
    scheduleRemovalTask(context, {2, 20}, [&] { return w(machine.productRoot()); });
  }
  RemovalEntry path(const std::string& id, const std::string& file, const std::wstring& service) {
    return RemovalEntry{w(id), w(file), UriType::Path, service};
  }

  RemovalMachine machine;
};

TEST_F(CleanrunTest, RemovesWhatItCanAndClearsTheTaskOnceNothingIsLeft) {
  const std::string a = machine.makeFile("hcp-wars/a.war");
  const std::string dir = machine.path("work/HCP/app");
  machine.makeFile("work/HCP/app/WEB-INF/web.xml");
  const std::string kept = machine.makeFile("kept");
  machine.writeEntries({path("1", a, L"Tomcat"), path("2", dir, L"")});
  testing_support::ProcessResult result = runProgram("cleanrun", {"--remove-files"});
  EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
  EXPECT_FALSE(pathExists(a) || pathExists(dir));
  EXPECT_TRUE(machine.entries().empty());
  ASSERT_TRUE(removalTask());
  EXPECT_EQ(taskTriggers(), 0u);

  // A bad storage fails with the reason and stays as it was.
  const std::string text = "<Entries><Entry Id=\"1\" URI=\"" + kept + "\" URIType=\"Folder\"/></Entries>";
  machine.writeStorageText(text);
  result = runProgram("cleanrun", {"--remove-files"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(contains(result.out, "Unable to load entry from XML: Wrong URI type: Folder")) << result.out;
  EXPECT_EQ(testing_support::readFile(machine.storageFile()), text);
  EXPECT_TRUE(pathExists(kept));
}

TEST_F(CleanrunTest, OtherArgumentsGetTheUsageAndChangeNothing) {
  const std::string a = machine.makeFile("a");
  machine.writeEntries({path("1", a, L"")});
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{}, {"remove-files"}, {"--remove-files", "extra"}}) {
    testing_support::ProcessResult result = runProgram("cleanrun", args);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(contains(result.err, "Usage: cleanrun --remove-files")) << result.err;
  }
  EXPECT_TRUE(pathExists(a));
  EXPECT_EQ(machine.entries().size(), 1u);
  EXPECT_EQ(taskTriggers(), 2u);
  testing_support::ProcessResult help = runProgram("cleanrun", {"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(contains(help.out, "Usage: cleanrun --remove-files"));
}

}  // namespace

}  // namespace wc
