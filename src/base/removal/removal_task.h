#pragma once
// The scheduled task that retries what a forced removal left behind: the
// work item "Deferred removal of files by Halvo", which runs the panel's
// removal tool with "--remove-files" under the system account.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/removal/work_item.h"
#include "base/system/context.h"

namespace wc {

inline const std::wstring kRemovalTaskName = L"Deferred removal of files by Halvo";
// Guards setting up the task and clearing its triggers, and a forced removal;
// machine-wide (Global\) like the storage mutex.
inline const std::wstring kRemovalTaskMutex = L"Global\\{D1EE1380-ED6C-4549-B9E9-9F396B5B15D1}";
inline const std::wstring kRemovalToolParameters = L"--remove-files";

struct RemovalTiming {
  uint32_t waitMinutes = 2;           // from now to the first run
  uint32_t updatePeriodMinutes = 20;  // between runs
};

// "DeferredFilesRemovalWait" and "DeferredFilesRemovalUpdatePeriod" of the
// panel's configuration key; a missing value keeps its default. A value that
// is not a DWORD, or a period of 0 or 4294967295 minutes, throws.
RemovalTiming readRemovalTiming(const Context& context);

// How long the daily trigger repeats: a whole day, or the period and one
// minute more when the period is a day or longer (so that it runs twice).
uint32_t repetitionDuration(uint32_t updatePeriodMinutes);

// The task's triggers when it is scheduled at `nowSeconds` (Unix time): a
// daily trigger from the local time `waitMinutes` later, every day, repeating
// every period for repetitionDuration(period) minutes; and a trigger at
// system start with the same begin date.
std::vector<TaskTrigger> removalTriggers(const RemovalTiming& timing, int64_t nowSeconds);

// The platform's file name of the removal tool ("cleanrun", "cleanrun.exe").
std::wstring removalToolFileName();
// The removal tool under a product root: <root>/admin/bin/<file name>.
std::wstring removalToolPath(const std::wstring& productRoot);

// Under the task mutex: opens the work item, creating it for the removal
// tool under `productRoot()` (asked only then) when it does not exist; when
// it has no triggers, adds removalTriggers for the current time
// (the context's clock) and saves it. A work item with triggers stays as it is.
void scheduleRemovalTask(const Context& context, const RemovalTiming& timing,
                         const std::function<std::wstring()>& productRoot);

// Under the task mutex: removes every trigger of the work item and saves it;
// a work item that does not exist stays missing.
void clearRemovalTaskTriggers();

}  // namespace wc
