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
  // The mounts rule reads the largest file and takes longest: it runs on
  // this thread while the others run on another, which may take a moment to
  // start. A failure is thrown in the rules' order: service, workers, mounts,
  // names, paths, links, temporary files.
  std::vector<Finding> findings;
  std::exception_ptr beforeMounts;
  std::exception_ptr afterMounts;
  std::future<void> others = std::async(std::launch::async | std::launch::deferred, [&] {
    try {
      checkService(snapshot, findings);
      checkWorkers(snapshot, workers, findings);
    } catch (...) {
      beforeMounts = std::current_exception();
      return;
    }
    try {
      checkNames(snapshot, findings);
      checkPaths(snapshot, findings);
      checkStartedLinks(snapshot, findings);
      checkTemporaryFiles(snapshot, findings);
    } catch (...) {
      afterMounts = std::current_exception();
    }
  });
  std::vector<Finding> mounts;
  std::exception_ptr mountsFailed;
  try {
    checkMounts(snapshot, workers, mounts);
  } catch (...) {
    mountsFailed = std::current_exception();
  }
  others.get();
  for (const std::exception_ptr& failed : {beforeMounts, mountsFailed, afterMounts}) {
    if (failed) std::rethrow_exception(failed);
  }
  findings.insert(findings.end(), std::make_move_iterator(mounts.begin()), std::make_move_iterator(mounts.end()));
  orderFindings(findings, {where.serverXml, where.workers, where.uriWorkerMap});
  return findings;
}

}  // namespace wc
