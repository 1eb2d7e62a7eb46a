#pragma once
// Where work items are kept: the platform's scheduler. Windows: the Task
// Scheduler's work items. POSIX: one cron file per item in etc/cron.d under
// the sandbox root, named after the item with blanks as '-' (see
// cron_file.h for the format).

#include <optional>
#include <string>

#include "base/removal/work_item.h"

namespace wc {

// The saved work item, or nothing when there is none by that name. A file
// that cannot be read back throws vexception naming it.
std::optional<WorkItem> loadWorkItem(const std::wstring& name);

// Saves the work item whole, replacing what was saved under the name.
void saveWorkItem(const std::wstring& name, const WorkItem& item);

}  // namespace wc
