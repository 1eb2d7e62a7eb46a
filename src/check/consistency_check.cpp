#include "check/consistency_check.h"

#include <exception>
#include <future>
#include <iterator>

#include "check/check_rules.h"
#include "check/finding_order.h"
#include "check/panel_snapshot.h"

namespace wc {

std::vector<Finding> checkConsistency(const Context& context, const PanelLocations& where) {
  std::vector<Finding> findings = checkConsistency(readPanelSnapshot(context, where));
  // Their subjects viewed the snapshot, which is gone.
  for (Finding& finding : findings) finding.subject = {};
  return findings;
}

std::vector<Finding> checkConsistency(const PanelSnapshot& snapshot) {
  const PanelLocations& where = snapshot.where;
  const WorkerTable& workers = snapshot.workerTable;
  // The mounts are the largest file and rule: checked meanwhile on another
  // thread. A failure is thrown in the rules' order: service, workers,
  // mounts, names, paths, links, temporary files.
  std::vector<Finding> mounts;
  std::future<void> mounting = std::async(std::launch::async | std::launch::deferred,
                                          [&snapshot, &workers, &mounts] { checkMounts(snapshot, workers, mounts); });
  std::vector<Finding> findings;
  checkService(snapshot, findings);
  checkWorkers(snapshot, workers, findings);
  std::exception_ptr laterFailed;
  try {
    checkNames(snapshot, findings);
    checkPaths(snapshot, findings);
    checkStartedLinks(snapshot, findings);
    checkTemporaryFiles(snapshot, findings);
  } catch (...) {
    laterFailed = std::current_exception();
  }
  mounting.get();
  if (laterFailed) std::rethrow_exception(laterFailed);
  findings.insert(findings.end(), std::make_move_iterator(mounts.begin()), std::make_move_iterator(mounts.end()));
  orderFindings(findings, {where.serverXml, where.workers, where.uriWorkerMap});
  return findings;
}

}  // namespace wc
