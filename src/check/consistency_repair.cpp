#include "check/consistency_repair.h"

#include "base/files/remove.h"
#include "check/repair_plan.h"
#include "redirector/isapi_redirector_config.h"
#include "tomcat/tomcat_manager.h"
#include "tomcat/xml_elements.h"

namespace wc {

namespace {

// The twins go into server.xml in one save; each host's alias mounts follow.
void addTwins(TomcatManager& manager, const std::vector<TwinToAdd>& twins, IsapiRedirectorConfig& redirector) {
  XmlDocument document = manager.loadServerXml();
  const XmlElement engine = TomcatManager::findEngine(document);
  bool added = false;
  for (const TwinToAdd& twin : twins) {
    const XmlElement host = TomcatManager::findHost(engine, twin.host);
    if (host.empty() || !TomcatManager::findAliasElement(host, twin.twin).empty()) continue;
    appendTextElement(document, host, L"Alias", twin.twin);
    added = true;
  }
  if (added) manager.saveServerXml(document);
  for (const TwinToAdd& twin : twins) redirector.addAliasMounts(twin.host, {twin.twin});
}

}  // namespace

std::vector<Repair> repairConsistency(TomcatManager& manager, const PanelLocations& where) {
  // One read of the files serves the check and the plan.
  const Context& context = manager.context();
  const PanelSnapshot snapshot = readPanelSnapshot(context, where);
  const RepairPlan plan = planRepairs(snapshot, checkConsistency(snapshot));
  IsapiRedirectorConfig redirector(context, where.workers, where.uriWorkerMap);
  redirector.holdSaves();
  if (!plan.mountsToDrop.empty()) redirector.removeMountLines(plan.mountsToDrop);
  for (const std::wstring& worker : plan.workersToDrop) redirector.removeWorker(worker);
  // addWorker sets the four keys in place: a changed value comes back too.
  for (const std::wstring& host : plan.workersToWrite) redirector.addWorker(host);
  if (!plan.twinsToAdd.empty()) {
    // As around the commands' edits of server.xml: a running Tomcat is
    // stopped and started again to read it.
    TomcatServiceRestarter restarter(manager);
    addTwins(manager, plan.twinsToAdd, redirector);
  }
  for (const MountsToAdd& mounts : plan.mountsToAdd)
    redirector.addWebAppMounts(mounts.host, mounts.aliases, mounts.application);
  redirector.saveHeldEdits();
  for (const StartedApp& app : plan.linksToRenew) manager.renewStartedLink(app.host, app.application);
  for (const std::wstring& path : plan.temporaryFilesToRemove) removeFile(context, path, /*force=*/false);
  return plan.repairs;
}

}  // namespace wc
