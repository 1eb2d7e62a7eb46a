// Hosts and their workers: each Host of the HCP Engine has the worker that
// --install-vhost writes (listed in "worker.list", with the four keys of
// kWorkerKeySuffixes), and each worker belongs to a Host or to the install.

#include <algorithm>
#include <vector>

#include "base/errors/strict_convert.h"
#include "check/check_rules.h"
#include "check/worker_table.h"
#include "panel/worker_keys.h"

namespace wc {

void checkWorkers(const PanelSnapshot& snapshot, const WorkerTable& table, std::vector<Finding>& out) {
  const std::wstring& file = snapshot.where.workers;
  // The table's workers that are a Host's: a worker that is not listed
  // there is left to the loop at the end.
  std::vector<const WorkerLines*> hostWorkers;
  hostWorkers.reserve(snapshot.hosts.size());
  for (const HostEntry& host : snapshot.hosts) {
    const std::wstring worker = workerName(host.name);
    const auto found = table.workers.find(worker);
    if (found != table.workers.end()) hostWorkers.push_back(&found->second);
    if (!snapshot.workers.exists) {
      out.push_back({finding_kind::kWorkerMissing, host.display(), L"workers.properties is missing", file, 0, {&host}});
      continue;
    }
    if (found == table.workers.end() || found->second.listLine == 0) {
      out.push_back({finding_kind::kWorkerMissing,
                     host.display(),
                     L"The worker " + worker + L" is not in worker.list",
                     file,
                     table.firstListLine,
                     {&host}});
    }
    // A worker has a handful of keys: looked along, not put in a set per host.
    static const std::vector<const PropertyEntry*> none;
    const std::vector<const PropertyEntry*>& keys = found == table.workers.end() ? none : found->second.keys;
    // Each key of the worker is one of the expected ones or not the panel's;
    // an expected key is built only for a finding.
    const std::string ansiWorker = ansiOf(worker);
    size_t matched = 0;  // a bit per expected key
    for (const PropertyEntry* entry : keys) {
      size_t which = 0;
      while (which < kWorkerKeySuffixes.size() && !isWorkerKey(entry->key, ansiWorker, kWorkerKeySuffixes[which].first))
        ++which;
      if (which == kWorkerKeySuffixes.size()) {
        out.push_back({finding_kind::kWorkerKeys,
                       host.display(),
                       L"The key " + wstr(entry->key) + L" is not one the panel writes",
                       file,
                       entry->line,
                       {&host}});
        continue;
      }
      matched |= size_t{1} << which;
      const auto& [suffix, value] = kWorkerKeySuffixes[which];
      if (entry->value != value) {
        out.push_back({finding_kind::kWorkerKeys,
                       host.display(),
                       L"The key " + wstr(workerKey(ansiWorker, suffix)) + L" is \"" + wstr(entry->value) +
                           L"\" instead of \"" + wstr(value) + L"\"",
                       file,
                       entry->line,
                       {&host}});
      }
    }
    if (matched + 1 != size_t{1} << kWorkerKeySuffixes.size()) {
      std::wstring missing;
      for (size_t which = 0; which < kWorkerKeySuffixes.size(); ++which) {
        if (!(matched & (size_t{1} << which)))
          missing += (missing.empty() ? L"" : L", ") + wstr(workerKey(ansiWorker, kWorkerKeySuffixes[which].first));
      }
      out.push_back({finding_kind::kWorkerMissing, host.display(), L"The worker lacks " + missing, file, 0, {&host}});
    }
  }
  std::sort(hostWorkers.begin(), hostWorkers.end());
  for (const auto& [worker, lines] : table.workers) {
    if (std::binary_search(hostWorkers.begin(), hostWorkers.end(), &lines) || table.installWorkers.count(worker))
      continue;
    out.push_back({finding_kind::kWorkerOrphan,
                   L"",
                   L"The worker " + worker + L" belongs to no Host",
                   file,
                   lines.firstLine(),
                   {.worker = worker}});
  }
}

}  // namespace wc
