#pragma once
// The workers of workers.properties: those named in "worker.list" and those
// with keys of their own ("worker.<name>.<key>").

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "check/panel_snapshot.h"

namespace wc {

struct WorkerLines {
  size_t listLine = 0;                     // the first worker.list line naming it; 0 when none
  std::vector<const PropertyEntry*> keys;  // its own keys, in file order
  size_t firstLine() const;
};

struct WorkerTable {
  std::unordered_map<std::wstring, WorkerLines> workers;
  size_t firstListLine = 0;  // where a missing worker would be listed
  // The workers that the install writes for no host.
  std::unordered_set<std::wstring> installWorkers;
  bool exists(const std::wstring& worker) const { return workers.count(worker) != 0; }
};

WorkerTable workerTableOf(const PropertyLines& lines);

}  // namespace wc
