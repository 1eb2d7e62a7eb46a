// The deferred removal as the panel drives it: what --stop-webapp and
// --remove-webapp register, the work item they schedule, and the removal tool
// that the work item runs.

#include <gtest/gtest.h>

#include "base/removal/removal_task.h"
#include "base/removal/work_item_store.h"
#include "base/system/clock.h"
#include "cli/panel_machine.h"
#include "support/failures.h"

namespace {

using testing_support::nativePath;
using testing_support::pathExists;

bool holds(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(DeferredRemoval, TheTaskRemovesWhatTheCommandsRegisteredAndNothingElse) {
  cli::PanelMachine machine;
  machine.installPanelAndHost("h.test");
  machine.ok({"--install-vhost", "--vhost-name=h.test"});
  machine.deployArchive("h.test", "Shop");
  machine.deployArchive("h.test", "Blog");
  machine.ok({"--start-webapp", "--vhost-name=h.test", "--webapp-name=Shop"});
  const std::string webapps = machine.varTomcat() + "/hcp-webapps/h.test",
                    wars = machine.varTomcat() + "/hcp-wars/h.test";
  const std::string registered[] = {webapps + "/Shop.war", wars + "/Shop.war"};

  const int64_t before = Clock::current().now();
  EXPECT_EQ(machine.ok({"--stop-webapp", "--vhost-name=h.test", "--webapp-name=Shop"}), "");
  const int64_t after = Clock::current().now();
  EXPECT_EQ(machine.ok({"--remove-webapp", "--vhost-name=h.test", "--webapp-name=Shop"}), "");
  for (const std::string& file : registered) {
    EXPECT_TRUE(pathExists(file)) << file;
    EXPECT_TRUE(holds(machine.removalStorage(), "URI=\"" + nativePath(file) + "\"")) << file;
  }
  // Scheduled for the removal tool of the product root, under the system account.
  const WorkItem tool{
      removalToolPath(testing_support::w(nativePath(machine.productRoot()))), kRemovalToolParameters, L"", {}};
  std::optional<WorkItem> item = loadWorkItem(kRemovalTaskName);
  ASSERT_TRUE(item);
  EXPECT_EQ(*item, (WorkItem{tool.application, tool.parameters, L"", item->triggers}));
  // The first run is the wait after the first registration.
  const RemovalTiming timing = readRemovalTiming();
  EXPECT_TRUE(item->triggers == removalTriggers(timing, before) || item->triggers == removalTriggers(timing, after))
      << item->triggers.size() << " triggers";

  std::string storage;
  for (int run = 1; run <= 2; ++run) {
    testing_support::ProcessResult result = testing_support::runProgram("cleanrun", {"--remove-files"});
    EXPECT_EQ(result.exitCode, 0) << "run " << run << ": " << result.out << result.err;
    // The second run finds nothing to do and changes nothing.
    if (run == 2) {
      EXPECT_EQ(machine.removalStorage(), storage);
    }
    storage = machine.removalStorage();
    for (const std::string& file : registered) {
      EXPECT_FALSE(pathExists(file)) << file;
      EXPECT_FALSE(holds(storage, nativePath(file))) << file;
    }
    EXPECT_EQ(loadWorkItem(kRemovalTaskName), tool) << "run " << run << ": the triggers stay";
    for (const std::string& kept : {webapps, wars, wars + "/Blog.war"}) EXPECT_TRUE(pathExists(kept)) << kept;
  }
}

}  // namespace
