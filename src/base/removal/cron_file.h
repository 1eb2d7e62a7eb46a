#pragma once
// A work item as a cron file, the form the removal task takes where the
// scheduler is cron:
//
//   # Work item: Deferred removal of files by Halvo
//   # Application: /opt/halvo/admin/bin/cleanrun
//   # Parameters: --remove-files
//   # Account: (system)
//   # Trigger: daily begin=2024-01-02 start=03:08 days=1 every=20 for=1440
//   8,28,48 * * * * root /opt/halvo/admin/bin/cleanrun --remove-files
//   # Trigger: at-system-start begin=2024-01-02
//   @reboot root /opt/halvo/admin/bin/cleanrun --remove-files
//
// The comment lines hold the work item exactly; the cron lines are made from
// them and ignored on reading. A work item without triggers is the header
// alone: it still exists, and cron runs nothing for it.

#include <string>
#include <string_view>

#include "base/removal/work_item.h"

namespace wc {

// The cron file's name for a work item: blanks become '-'.
std::wstring cronFileName(const std::wstring& workItemName);

// The five time fields of a daily trigger, or "@reboot" for a trigger at
// system start. Cron cannot say "from 03:08 every 20 minutes for 16 hours";
// the schedule is the smallest single line that fires at every start of the
// trigger (every minute of the day that is a start, combined with every hour
// that holds one), so where the starts do not repeat hour by hour it fires
// at a few more times. The begin date stays in the comment only. Both are
// harmless for a task that may run at any time.
std::wstring cronSchedule(const TaskTrigger& trigger);

// The whole file as UTF-8. Throws vexception "Unable to write the work item
// '<name>': <reason>" for a work item that cannot be written faithfully (a
// line break in a value, a trigger with impossible fields).
std::string cronFileText(const std::wstring& workItemName, const WorkItem& item);

// Reads a file written by cronFileText. Throws vexception "<reason> (line
// <n>)" for anything it cannot read back exactly.
WorkItem parseCronFile(std::string_view text);

}  // namespace wc
