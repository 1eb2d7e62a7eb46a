#pragma once
// One work item of the platform's scheduler, used the way the scheduler's
// own interface is used: open it by name or install a new one, look at and
// change its triggers, save it. Changes stay in memory until save().
// Failures are vexceptions whose call point names the operation
// ("SchedulerTask::getTask", "SchedulerTask::install", ...).

#include <cstddef>
#include <optional>
#include <string>

#include "base/removal/work_item.h"

namespace wc {

class SchedulerTask {
 public:
  explicit SchedulerTask(std::wstring name);

  // Opens the saved work item; false when there is none by this name.
  bool open();
  // A new work item in place of whatever was open: the program, its
  // parameters, the system account, no triggers.
  void install(const std::wstring& application, const std::wstring& parameters);

  size_t triggerCount() const;
  // Throws for a trigger the scheduler would refuse (see triggerProblem).
  void addTrigger(const TaskTrigger& trigger);
  void clearTriggers();
  void save();

  bool isOpen() const { return item_.has_value(); }
  const WorkItem& item() const;
  const std::wstring& name() const { return name_; }

 private:
  WorkItem& openItem(const char* function);

  std::wstring name_;
  std::optional<WorkItem> item_;
};

}  // namespace wc
