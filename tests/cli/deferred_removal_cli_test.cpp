// The deferred removal from --stop-webapp and --remove-webapp to the removal tool that the work item runs.

#include <gtest/gtest.h>

#include "base/removal/removal_task.h"
#include "base/removal/work_item_store.h"
#include "base/system/clock.h"
#include "base/text/convert.h"
#include "cli/panel_machine.h"
#include "support/test_context.h"

namespace wc {

using testing_support::context;

void PrintTo(const WorkItem& item, std::ostream* os) {
  *os << cstrLenient(item.application + L' ' + item.parameters + L" [" + item.account + L"] ") << item.triggers.size();
}

using testing_support::nativePath;
using testing_support::pathExists;

TEST(DeferredRemoval, TheTaskRemovesWhatTheCommandsRegisteredAndNothingElse) {
  cli::PanelMachine machine;
  machine.installPanelAndHost("h.test");
  machine.ok({"--install-vhost", "--vhost-name=h.test"});
  machine.deployArchive("h.test", "Shop");
  machine.deployArchive("h.test", "Blog");
  machine.ok({"--start-webapp", "--vhost-name=h.test", "--webapp-name=Shop"});
  const std::string webapps = machine.varTomcat() + "/hcp-webapps/h.test", wars = machine.varTomcat() + "/hcp-wars";
  const std::string registered[] = {webapps + "/Shop.war", wars + "/h.test/Shop.war"};  // the started link, the archive
  const int64_t before = systemClock().now();
  EXPECT_EQ(machine.ok({"--stop-webapp", "--vhost-name=h.test", "--webapp-name=Shop"}), "");
  const int64_t after = systemClock().now();
  EXPECT_EQ(machine.ok({"--remove-webapp", "--vhost-name=h.test", "--webapp-name=Shop"}), "");
  for (const std::string& file : registered)
    EXPECT_TRUE(pathExists(file) &&
                cli::countOf(machine.removalStorage(), std::string("\"").append(nativePath(file)).append("\"")))
        << file;
  // The removal tool of the product root under the system account, first run after the wait.
  const WorkItem tool{removalToolPath(wstrLenient(nativePath(machine.productRoot()))), kRemovalToolParameters, L"", {}};
  const WorkItem item = loadWorkItem(kRemovalTaskName).value_or(WorkItem{});
  EXPECT_EQ(item, (WorkItem{tool.application, tool.parameters, tool.account, item.triggers}));
  const RemovalTiming timing = readRemovalTiming(context);
  EXPECT_TRUE(item.triggers == removalTriggers(timing, before) || item.triggers == removalTriggers(timing, after))
      << ::testing::PrintToString(item);
  std::string storage;
  for (int run = 1; run <= 2; ++run) {
    testing_support::ProcessResult result = testing_support::runProgram("cleanrun", {"--remove-files"});
    EXPECT_EQ(result.exitCode, 0) << "run " << run << ": " << result.out << result.err;
    EXPECT_TRUE(run == 1 || machine.removalStorage() == storage) << "the second run changed the storage";
    storage = machine.removalStorage();
    for (const std::string& file : registered)
      EXPECT_FALSE(pathExists(file) || cli::countOf(storage, nativePath(file))) << "run " << run << ": " << file;
    EXPECT_EQ(loadWorkItem(kRemovalTaskName), tool) << "run " << run;
    for (const std::string& kept : {webapps, wars + "/h.test", wars + "/h.test/Blog.war"})
      EXPECT_TRUE(pathExists(kept)) << kept;
  }
}

}  // namespace wc
