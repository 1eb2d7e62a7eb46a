#include "check/consistency_check.h"

#include "check/check_rules.h"
#include "check/finding_order.h"
#include "check/panel_snapshot.h"

std::vector<Finding> checkConsistency(const PanelLocations& where) {
  const PanelSnapshot snapshot = readPanelSnapshot(where);
  std::vector<Finding> findings;
  checkService(snapshot, findings);
  const WorkerTable workers = workerTableOf(snapshot.workers);
  checkWorkers(snapshot, workers, findings);
  checkMounts(snapshot, workers, findings);
  checkNames(snapshot, findings);
  checkPaths(snapshot, findings);
  checkStartedLinks(snapshot, findings);
  orderFindings(findings, {where.serverXml, where.workers, where.uriWorkerMap});
  return findings;
}
