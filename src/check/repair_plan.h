#pragma once
// What hcpcheck --fix does about the findings of a check: the edits that the
// commands' own operations make, each with the repair it prints. Findings of
// the other kinds, and those no such edit can address (a property file that
// is missing, a worker name that is not a host's), are left as they are.

#include <string>
#include <vector>

#include "check/finding.h"
#include "check/panel_snapshot.h"
#include "check/repair.h"
#include "redirector/isapi_redirector_config.h"

namespace wc {

struct MountsToAdd {
  std::wstring host;                  // as written in server.xml
  std::vector<std::wstring> aliases;  // its aliases, with the twins the plan adds
  std::wstring application;
};

struct TwinToAdd {
  std::wstring host;  // as written in server.xml
  std::wstring twin;  // "www." + the alias
};

struct StartedApp {
  std::wstring host;
  std::wstring application;
};

// Applied in this order: mounts dropped, workers dropped and written, twins
// added (with the host's mounts), mounts added, links renewed, temporary
// files removed.
struct RepairPlan {
  std::vector<MountLine> mountsToDrop;       // mount lines (key and worker) as in the file
  std::vector<std::wstring> workersToDrop;   // orphan workers by name
  std::vector<std::wstring> workersToWrite;  // hosts whose worker is written anew
  std::vector<TwinToAdd> twinsToAdd;
  std::vector<MountsToAdd> mountsToAdd;
  std::vector<StartedApp> linksToRenew;
  std::vector<std::wstring> temporaryFilesToRemove;  // paths
  std::vector<Repair> repairs;                       // one per edit, in the order of the findings
};

RepairPlan planRepairs(const PanelSnapshot& snapshot, const std::vector<Finding>& findings);

}  // namespace wc
