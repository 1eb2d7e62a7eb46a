#include "check/repair_plan.h"

#include <algorithm>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "base/errors/strict_convert.h"
#include "check/check_rules.h"
#include "names/name_rules.h"
#include "panel/host_names.h"
#include "panel/mount_keys.h"
#include "panel/worker_keys.h"

namespace wc {

RepairPlan planRepairs(const PanelSnapshot& snapshot, const std::vector<Finding>& findings) {
  namespace kind = finding_kind;
  RepairPlan plan;
  std::unordered_set<std::wstring> workersWritten;
  std::unordered_set<std::wstring> workersDropped;
  std::unordered_map<const HostEntry*, std::vector<std::wstring>> twinsOf;
  std::unordered_set<std::wstring> hostWorkers;
  for (const HostEntry& host : snapshot.hosts) hostWorkers.insert(workerName(host.name));

  for (const Finding& f : findings) {
    const FindingSubject& subject = f.subject;
    const HostEntry* host = subject.host;
    if ((f.kind == kind::kWorkerMissing || f.kind == kind::kWorkerKeys) && host && snapshot.workers.exists) {
      if (!workersWritten.insert(workerName(host->name)).second) continue;
      plan.workersToWrite.push_back(host->name);
      plan.repairs.push_back({f.kind, f.host, L"wrote the worker " + workerName(host->name) + L" anew"});
    } else if (f.kind == kind::kWorkerOrphan) {
      // removeWorker addresses a worker by its host's name: one without a dot
      // that the files can hold. Any other orphan stays reported.
      const std::wstring& worker = subject.worker;
      if (workerName(worker) != worker || hostNameProblem(worker) || !workersDropped.insert(worker).second) continue;
      plan.workersToDrop.push_back(worker);
      plan.repairs.push_back({f.kind, f.host, L"dropped the worker " + worker});
    } else if (f.kind == kind::kMountUnknownWorker || f.kind == kind::kMountForeignHost ||
               f.kind == kind::kMountsOrphan) {
      const std::optional<KeptEntry>& entry = subject.entry;
      // A mount of a Host's missing worker stays: the worker is written again.
      if (!entry ||
          (f.kind == kind::kMountUnknownWorker && snapshot.workers.exists && hostWorkers.count(wstr(entry->value))))
        continue;
      // A mount of an alias whose twin comes back stays.
      if (host && f.kind == kind::kMountForeignHost) {
        const std::vector<std::wstring>& twins = twinsOf[host];
        if (std::any_of(twins.begin(), twins.end(),
                        [&](const std::wstring& twin) { return entry->key.starts_with(mountPrefix(twin)); }))
          continue;
      }
      plan.mountsToDrop.push_back({std::string(entry->key), std::string(entry->value)});
      plan.repairs.push_back({f.kind, f.host, L"dropped the mount " + wstr(entry->key)});
    } else if (f.kind == kind::kAliasTwinMissing && host && subject.alias) {
      std::vector<std::wstring>& twins = twinsOf[host];
      const std::wstring twin = wwwTwin(subject.alias->name);
      if (std::find(twins.begin(), twins.end(), twin) != twins.end()) continue;
      plan.twinsToAdd.push_back({host->name, twin});
      twins.push_back(twin);
      plan.repairs.push_back({f.kind, f.host, L"added the alias " + shownName(twin)});
    } else if (f.kind == kind::kMountsMissing && host && snapshot.mounts.exists) {
      std::vector<std::wstring> aliases;
      for (const NameAt& alias : host->aliases) aliases.push_back(alias.name);
      for (const std::wstring& twin : twinsOf[host]) aliases.push_back(twin);
      plan.mountsToAdd.push_back({host->name, aliases, subject.application});
      plan.repairs.push_back({f.kind, f.host, L"wrote the mounts of the application " + subject.application});
    } else if (f.kind == kind::kLinkDiffers && host) {
      plan.linksToRenew.push_back({host->name, subject.application});
      plan.repairs.push_back(
          {f.kind, f.host, L"linked the application " + subject.application + L" to its archive again"});
    } else if (f.kind == kind::kTemporaryFileLeft) {
      plan.temporaryFilesToRemove.push_back(subject.path);
      plan.repairs.push_back({f.kind, f.host, L"removed " + subject.path});
    }
  }
  // The mounts of a dropped worker would name a worker that is gone.
  if (!workersDropped.empty()) {
    // A line of the same key for a Host's worker stays.
    std::set<std::pair<std::string, std::string>> dropping;
    for (const MountLine& line : plan.mountsToDrop) dropping.emplace(line.key, line.worker);
    snapshot.mounts.forEachEntry([&](const PropertyEntry& entry) {
      const std::wstring worker = wstr(entry.value);
      if (!workersDropped.count(worker) || !dropping.emplace(entry.key, entry.value).second) return;
      plan.mountsToDrop.push_back({std::string(entry.key), std::string(entry.value)});
      plan.repairs.push_back(
          {kind::kWorkerOrphan, L"", L"dropped the mount " + wstr(entry.key) + L" of the worker " + worker});
    });
  }
  return plan;
}

}  // namespace wc
