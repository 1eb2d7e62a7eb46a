// Registering paths and forcing their removal through the management
// service's client, with hcpsrv running in the sandbox.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "base/pipes/halvo_srv_client.h"
#include "base/removal/removal_task.h"
#include "removal_test_support.h"
#include "support/background_program.h"

namespace wc {

namespace {

using namespace removal_test;
using testing_support::pathExists;
using testing_support::readFile;

constexpr int64_t kNow = 1'704'164'880;

class ClientRemovalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bool ready = false;  // once hcpsrv answers
    for (int i = 0; i < 100 && !ready; ++i) {
      try {
        ready = !HalvoSrvClient(context).getProductRootDir().empty();
      } catch (const vexception&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
      }
    }
    ASSERT_TRUE(ready) << "hcpsrv did not start";
  }

  RemovalMachine machine;
  testing_support::BackgroundProgram service{"hcpsrv", {}};
  FixedClock clock{kNow};
  const Context context = testContext(clock);
};

TEST_F(ClientRemovalTest, RegisteringStoresThePathAndSchedulesTheTaskAndForcingRemovesIt) {
  HalvoSrvClient client(context);
  const std::string a = machine.makeFile("hcp-wars/a.war"), b = machine.makeFile("b");
  client.addDeleteFile(w(a), L"Tomcat");
  client.addDeleteFile(w(b), L"Other");
  const std::vector<RemovalEntry> entries = machine.entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0], (RemovalEntry{entries[0].id, w(a), UriType::Path, L"Tomcat"}));
  EXPECT_EQ(entries[0].id.size(), 36u);
  EXPECT_TRUE(pathExists(a)) << "registering removes nothing";
  const std::optional<WorkItem> task = removalTask();
  ASSERT_TRUE(task);  // for the tool under the root that hcpsrv reports
  EXPECT_EQ(slashed(task->application), w(machine.productRoot() + "/admin/bin/") + removalToolFileName());
  EXPECT_EQ(task->triggers, removalTriggers({2, 20}, kNow));

  client.forceDeleteFiles(L"Tomcat", true);
  EXPECT_FALSE(pathExists(a));
  EXPECT_TRUE(pathExists(b));
  EXPECT_EQ(taskTriggers(), 2u);
  client.forceDeleteFiles(L"Other", false);
  EXPECT_FALSE(pathExists(b));
  EXPECT_TRUE(machine.entries().empty());
  EXPECT_EQ(taskTriggers(), 0u);
}

TEST_F(ClientRemovalTest, FailuresCarryTheOperationsContextAndChangeNothing) {
  HalvoSrvClient client(context);
  std::wstring relative = failureOf([&] { client.addDeleteFile(L"webapps/a.war", L"Tomcat"); });
  EXPECT_TRUE(holds(relative, L"Only an absolute path can be registered for removal"));
  EXPECT_TRUE(holds(relative, L"at addDeleteFile 'webapps/a.war' for service 'Tomcat'(HalvoSrvClient::addDeleteFile"));

  machine.writeSettings("\"DeferredFilesRemovalUpdatePeriod\"=dword:00000000\n");
  std::wstring period = failureOf([&] { client.addDeleteFile(w(machine.makeFile("a")), L"Tomcat"); });
  EXPECT_TRUE(holds(period, L"DeferredFilesRemovalUpdatePeriod"));
  EXPECT_FALSE(pathExists(machine.storageFile()));
  EXPECT_FALSE(removalTask());

  machine.writeSettings("");
  machine.writeStorageText("<Entries><Entry Id=\"1\" URI=\"/a\"/></Entries>");
  std::wstring forced = failureOf([&] { client.forceDeleteFiles(L"Tomcat", true); });
  EXPECT_TRUE(holds(forced, L"Unable to load entry from XML"));
  EXPECT_TRUE(holds(forced, L"at forceDeleteFiles for service 'Tomcat'(HalvoSrvClient::forceDeleteFiles"));
  std::wstring added = failureOf([&] { client.addDeleteFile(w(machine.makeFile("b")), L"Tomcat"); });
  EXPECT_TRUE(holds(added, L"Unable to load entry from XML"));
  EXPECT_EQ(readFile(machine.storageFile()), "<Entries><Entry Id=\"1\" URI=\"/a\"/></Entries>");
  EXPECT_FALSE(removalTask());
}

}  // namespace

}  // namespace wc
