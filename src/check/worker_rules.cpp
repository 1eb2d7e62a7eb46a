// Hosts and their workers: each Host of the HCP Engine has the worker that
// --install-vhost writes (listed in "worker.list", with the four keys of
// workerKeyLines), and each worker belongs to a Host or to the install.

#include <algorithm>
#include <unordered_set>

#include "base/errors/strict_convert.h"
#include "check/check_rules.h"
#include "check/worker_table.h"
#include "redirector/worker_keys.h"
#include "redirector/worker_name.h"

void checkWorkers(const PanelSnapshot& snapshot, const WorkerTable& table, std::vector<Finding>& out) {
  const std::wstring& file = snapshot.where.workers;
  std::unordered_set<std::wstring> hostWorkers;
  for (const HostEntry& host : snapshot.hosts) {
    const std::wstring worker = workerName(host.name);
    hostWorkers.insert(worker);
    if (!snapshot.workers.exists) {
      out.push_back({finding_kind::kWorkerMissing, host.display, L"workers.properties is missing", file, 0});
      continue;
    }
    const auto found = table.workers.find(worker);
    if (found == table.workers.end() || found->second.listLine == 0) {
      out.push_back({finding_kind::kWorkerMissing, host.display, L"The worker " + worker + L" is not in worker.list",
                     file, table.firstListLine});
    }
    // A worker has a handful of keys: looked along, not put in a set per host.
    static const std::vector<const PropertyEntry*> none;
    const std::vector<const PropertyEntry*>& keys = found == table.workers.end() ? none : found->second.keys;
    const auto expected = workerKeyLines(ansiOf(worker));
    std::wstring missing;
    for (const auto& [key, value] : expected) {
      if (std::none_of(keys.begin(), keys.end(), [&key](const PropertyEntry* entry) { return entry->key == key; }))
        missing += (missing.empty() ? L"" : L", ") + wstr(key);
    }
    if (!missing.empty()) {
      out.push_back({finding_kind::kWorkerMissing, host.display, L"The worker lacks " + missing, file, 0});
    }
    for (const PropertyEntry* entry : keys) {
      std::wstring problem;
      bool written = false;
      for (const auto& [key, value] : expected) {
        if (entry->key != key) continue;
        written = true;
        if (entry->value != value)
          problem =
              L"The key " + wstr(key) + L" is \"" + wstr(entry->value) + L"\" instead of \"" + wstr(value) + L"\"";
      }
      if (!written) problem = L"The key " + wstr(entry->key) + L" is not one the panel writes";
      if (!problem.empty()) out.push_back({finding_kind::kWorkerKeys, host.display, problem, file, entry->line});
    }
  }
  for (const auto& [worker, lines] : table.workers) {
    if (hostWorkers.count(worker) || table.installWorkers.count(worker)) continue;
    out.push_back(
        {finding_kind::kWorkerOrphan, L"", L"The worker " + worker + L" belongs to no Host", file, lines.firstLine()});
  }
}
