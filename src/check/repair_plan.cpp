#include "check/repair_plan.h"

#include <algorithm>
#include <deque>
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

namespace {

// The mount keys that the applications without all their mounts may have
// already, with the worker of each one's first line: read from the file once
// for all of them. The keys are those of each such host's names with every
// twin the plan may add.
struct PresentMounts {
  std::deque<std::string> keys;  // the texts `workers` views
  std::unordered_map<std::string_view, std::string> workers;
};

PresentMounts presentMounts(const PanelSnapshot& snapshot, const std::vector<Finding>& findings) {
  std::unordered_map<const HostEntry*, std::vector<std::wstring>> namesOf;  // its aliases, then twins
  for (const Finding& f : findings) {
    const HostEntry* host = f.subject.host;
    if (f.kind != finding_kind::kMountsMissing || !host || namesOf.count(host)) continue;
    std::vector<std::wstring>& names = namesOf[host];
    for (const NameAt& alias : host->aliases) names.push_back(alias.name);
  }
  for (const Finding& f : findings) {
    const auto found = namesOf.find(f.subject.host);
    if (f.kind == finding_kind::kAliasTwinMissing && found != namesOf.end() && f.subject.alias)
      found->second.push_back(wwwTwin(f.subject.alias->name));
  }
  PresentMounts present;
  if (namesOf.empty() || !snapshot.mounts.exists) return present;
  std::unordered_map<std::string_view, bool> wanted;  // whether a line was seen
  for (const Finding& f : findings) {
    const auto found = namesOf.find(f.subject.host);
    if (f.kind != finding_kind::kMountsMissing || found == namesOf.end()) continue;
    for (std::string& key : webAppMountKeys(f.subject.host->name, found->second, f.subject.application))
      wanted.emplace(present.keys.emplace_back(std::move(key)), false);
  }
  snapshot.mounts.forEachEntry([&](const PropertyEntry& entry) {
    const auto found = wanted.find(entry.key);
    if (found == wanted.end() || found->second) return;
    found->second = true;
    present.workers.emplace(found->first, entry.value);
  });
  return present;
}

}  // namespace

RepairPlan planRepairs(const PanelSnapshot& snapshot, const std::vector<Finding>& findings) {
  namespace kind = finding_kind;
  RepairPlan plan;
  std::unordered_set<std::wstring> workersWritten;
  std::unordered_set<std::wstring> workersDropped;
  std::unordered_map<const HostEntry*, std::vector<std::wstring>> twinsOf;
  std::unordered_set<std::wstring> hostWorkers;
  for (const HostEntry& host : snapshot.hosts) hostWorkers.insert(workerName(host.name));
  const PresentMounts present = presentMounts(snapshot, findings);

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
      const std::string worker = cstr(workerName(host->name));
      const std::vector<std::string> keys = webAppMountKeys(host->name, aliases, subject.application);
      if (std::all_of(keys.begin(), keys.end(), [&](const std::string& key) {
            const auto found = present.workers.find(key);
            return found != present.workers.end() && found->second == worker;
          }))
        continue;
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
