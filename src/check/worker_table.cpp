#include "check/worker_table.h"

#include <algorithm>

#include "panel/worker_keys.h"
#include "redirector/comma_list.h"
#include "redirector/isapi_redirect_files.h"
#include "redirector/property_file.h"

namespace wc {

size_t WorkerLines::firstLine() const {
  if (keys.empty()) return listLine;
  return listLine == 0 ? keys.front()->line : std::min(listLine, keys.front()->line);
}

WorkerTable workerTableOf(const PropertyLines& lines) {
  WorkerTable table;
  const std::string_view installText = kInstallWorkersProperties;
  const PropertyLine install(installText.substr(0, installText.find_first_of("\r\n")));
  for (std::wstring& worker : listItems(install.value)) table.installWorkers.insert(std::move(worker));
  const std::string_view listKey = kWorkerListKey;
  // A worker's keys stand together: its name is converted and looked up once.
  std::string_view lastName;
  WorkerLines* last = nullptr;
  for (const PropertyEntry& entry : lines.entries) {
    if (entry.key == listKey) {
      if (table.firstListLine == 0) table.firstListLine = entry.line;
      // The commands' own reading of the list: empty items name no worker.
      for (std::wstring& worker : listItems(entry.value)) {
        size_t& listLine = table.workers[std::move(worker)].listLine;
        if (listLine == 0) listLine = entry.line;
      }
    } else if (entry.key.starts_with("worker.")) {
      // Worker names hold no '.': the name runs up to the next one.
      const size_t end = entry.key.find('.', 7);
      if (end == std::string::npos) continue;
      const std::string_view name = entry.key.substr(7, end - 7);
      if (!last || name != lastName) {
        last = &table.workers[wideOf(name)];
        lastName = name;
      }
      // Mostly the four keys the panel writes.
      if (last->keys.empty()) last->keys.reserve(4);
      last->keys.push_back(&entry);
    }
  }
  return table;
}

}  // namespace wc
