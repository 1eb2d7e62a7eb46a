#include "check/repair_plan.h"

#include <algorithm>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "base/errors/strict_convert.h"
#include "check/check_rules.h"
#include "check/worker_table.h"
#include "names/name_rules.h"
#include "redirector/mount_keys.h"
#include "redirector/worker_name.h"
#include "tomcat/host_names.h"
#include "tomcat/panel_paths.h"

namespace wc {

namespace {

// The first mount line on `line`: the lines are in file order.
const PropertyEntry* entryAt(const PropertyLines& lines, size_t line) {
  const auto found = std::lower_bound(lines.entries.begin(), lines.entries.end(), line,
                                      [](const PropertyEntry& entry, size_t at) { return entry.line < at; });
  return line != 0 && found != lines.entries.end() && found->line == line ? &*found : nullptr;
}

}  // namespace

RepairPlan planRepairs(const PanelSnapshot& snapshot, const std::vector<Finding>& findings) {
  namespace kind = finding_kind;
  RepairPlan plan;
  const WorkerTable workers = workerTableOf(snapshot.workers);
  std::unordered_set<std::wstring> workersWritten;
  std::unordered_set<std::wstring> workersDropped;
  std::unordered_set<std::wstring> hostsMounted;
  std::unordered_map<std::wstring, std::vector<std::wstring>> twinsOf;  // by host as written
  // A finding names its host in display form; the first Host of that form.
  std::unordered_map<std::wstring, const HostEntry*> hostByDisplay;
  std::unordered_set<std::wstring> hostWorkers;
  for (const HostEntry& host : snapshot.hosts) {
    hostByDisplay.emplace(host.display, &host);
    hostWorkers.insert(workerName(host.name));
  }
  // The orphan workers by the line of their finding: several share the line
  // of worker.list when that is all that is left of them.
  std::unordered_map<size_t, std::vector<std::wstring>> orphansAt;
  for (const auto& [worker, lines] : workers.workers) {
    // removeWorker addresses a worker by its host's name: one without a dot
    // that the files can hold. Any other orphan stays reported.
    if (hostWorkers.count(worker) || workers.installWorkers.count(worker) || workerName(worker) != worker ||
        hostNameProblem(worker))
      continue;
    orphansAt[lines.firstLine()].push_back(worker);
  }
  std::unordered_map<std::string_view, std::string_view> present;  // mount key -> worker, filled when needed

  for (const Finding& f : findings) {
    const auto named = f.host.empty() ? hostByDisplay.end() : hostByDisplay.find(f.host);
    const HostEntry* host = named == hostByDisplay.end() ? nullptr : named->second;
    if ((f.kind == kind::kWorkerMissing || f.kind == kind::kWorkerKeys) && host && snapshot.workers.exists) {
      if (!workersWritten.insert(workerName(host->name)).second) continue;
      plan.workersToWrite.push_back(host->name);
      plan.repairs.push_back({f.kind, f.host, L"wrote the worker " + workerName(host->name) + L" anew"});
    } else if (f.kind == kind::kWorkerOrphan) {
      // Each orphan on a line shared with others has its own finding: each is
      // dropped once.
      for (const std::wstring& worker : orphansAt[f.line]) {
        if (!workersDropped.insert(worker).second) continue;
        plan.workersToDrop.push_back(worker);
        plan.repairs.push_back({f.kind, f.host, L"dropped the worker " + worker});
      }
    } else if (f.kind == kind::kMountUnknownWorker || f.kind == kind::kMountForeignHost ||
               f.kind == kind::kMountsOrphan) {
      const PropertyEntry* entry = entryAt(snapshot.mounts, f.line);
      // A mount of a Host's missing worker stays: the worker is written again.
      if (!entry ||
          (f.kind == kind::kMountUnknownWorker && snapshot.workers.exists && hostWorkers.count(wstr(entry->value))))
        continue;
      // A mount of an alias whose twin comes back stays.
      if (host && f.kind == kind::kMountForeignHost) {
        const std::vector<std::wstring>& twins = twinsOf[host->name];
        if (std::any_of(twins.begin(), twins.end(),
                        [&](const std::wstring& twin) { return entry->key.starts_with(mountPrefix(twin)); }))
          continue;
      }
      plan.mountsToDrop.push_back({std::string(entry->key), std::string(entry->value)});
      plan.repairs.push_back({f.kind, f.host, L"dropped the mount " + wstr(entry->key)});
    } else if (f.kind == kind::kAliasTwinMissing && host) {
      for (const NameAt& alias : host->aliases) {
        // Two aliases on one line give two findings of that line.
        std::vector<std::wstring>& twins = twinsOf[host->name];
        const std::wstring twin = wwwTwin(alias.name);
        if (alias.line() != f.line || !lacksTwin(*host, alias) ||
            std::find(twins.begin(), twins.end(), twin) != twins.end())
          continue;
        plan.twinsToAdd.push_back({host->name, twin});
        twins.push_back(twin);
        plan.repairs.push_back({f.kind, f.host, L"added the alias " + shownName(twin)});
      }
    } else if (f.kind == kind::kMountsMissing && host && snapshot.mounts.exists &&
               hostsMounted.insert(host->name).second) {
      std::vector<std::wstring> aliases;
      for (const NameAt& alias : host->aliases) aliases.push_back(alias.name);
      for (const std::wstring& twin : twinsOf[host->name]) aliases.push_back(twin);
      const std::string worker = cstr(workerName(host->name));
      if (present.empty()) {
        for (const PropertyEntry& entry : snapshot.mounts.entries) present.emplace(entry.key, entry.value);
      }
      for (const std::wstring& application : host->started) {
        const std::vector<std::string> keys = webAppMountKeys(host->name, aliases, application);
        if (std::all_of(keys.begin(), keys.end(), [&](const std::string& key) {
              const auto found = present.find(key);
              return found != present.end() && found->second == worker;
            }))
          continue;
        plan.mountsToAdd.push_back({host->name, aliases, application});
        plan.repairs.push_back({f.kind, f.host, L"wrote the mounts of the application " + application});
      }
    } else if (f.kind == kind::kLinkDiffers && host) {
      for (const std::wstring& application : host->started) {
        if (webAppPaths(snapshot.where.varTomcat, host->name, application).startedLink != f.file) continue;
        plan.linksToRenew.push_back({host->name, application});
        plan.repairs.push_back({f.kind, f.host, L"linked the application " + application + L" to its archive again"});
      }
    } else if (f.kind == kind::kTemporaryFileLeft) {
      plan.temporaryFilesToRemove.push_back(f.file);
      plan.repairs.push_back({f.kind, f.host, L"removed " + f.file});
    }
  }
  // The mounts of a dropped worker would name a worker that is gone.
  if (!workersDropped.empty()) {
    // A line of the same key for a Host's worker stays.
    std::set<std::pair<std::string, std::string>> dropping;
    for (const MountLine& line : plan.mountsToDrop) dropping.emplace(line.key, line.worker);
    for (const PropertyEntry& entry : snapshot.mounts.entries) {
      const std::wstring worker = wstr(entry.value);
      if (!workersDropped.count(worker) || !dropping.emplace(entry.key, entry.value).second) continue;
      plan.mountsToDrop.push_back({std::string(entry.key), std::string(entry.value)});
      plan.repairs.push_back(
          {kind::kWorkerOrphan, L"", L"dropped the mount " + wstr(entry.key) + L" of the worker " + worker});
    }
  }
  return plan;
}

}  // namespace wc
