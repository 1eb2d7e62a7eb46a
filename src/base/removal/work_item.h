#pragma once
// A scheduled work item as the removal needs it: which program runs with
// which parameters under which account, and when (its triggers).

#include <cstdint>
#include <string>
#include <vector>

namespace wc {

struct TaskTrigger {
  enum class Type { Daily, AtSystemStart };
  Type type = Type::Daily;
  // The first day the trigger fires.
  int beginYear = 0, beginMonth = 0, beginDay = 0;
  // Daily triggers only: the first start of each day, every `daysInterval`
  // days, repeated every `minutesInterval` minutes for `minutesDuration`
  // minutes after that start (0 and 0: no repetition).
  int startHour = 0, startMinute = 0;
  uint32_t daysInterval = 1;
  uint32_t minutesInterval = 0;
  uint32_t minutesDuration = 0;

  bool operator==(const TaskTrigger&) const = default;
};

// Why the scheduler would refuse the trigger, or empty: a begin date that is
// no date, a start that is no time of day, a days interval of 0, or a
// repetition whose duration is not longer than its interval.
std::wstring triggerProblem(const TaskTrigger& trigger);

struct WorkItem {
  std::wstring application;  // full path of the program file
  std::wstring parameters;   // its command-line parameters
  std::wstring account;      // empty: the system account
  std::vector<TaskTrigger> triggers;

  bool operator==(const WorkItem&) const = default;
};

}  // namespace wc
