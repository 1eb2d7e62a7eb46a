#include "base/removal/work_item.h"

#include "base/text/vaformat.h"

namespace wc {

std::wstring triggerProblem(const TaskTrigger& t) {
  if (t.beginYear < 1601 || t.beginYear > 9999 || t.beginMonth < 1 || t.beginMonth > 12 || t.beginDay < 1 ||
      t.beginDay > 31) {
    return vaformat(L"the begin date %04d-%02d-%02d is not a date", t.beginYear, t.beginMonth, t.beginDay);
  }
  if (t.type == TaskTrigger::Type::AtSystemStart) return L"";
  if (t.startHour < 0 || t.startHour > 23 || t.startMinute < 0 || t.startMinute > 59) {
    return vaformat(L"the start time %02d:%02d is not a time of day", t.startHour, t.startMinute);
  }
  if (t.daysInterval == 0) return L"the days interval is 0";
  if (t.minutesInterval == 0 && t.minutesDuration == 0) return L"";
  if (t.minutesInterval == 0 || t.minutesDuration <= t.minutesInterval) {
    return vaformat(L"a repetition every %u minutes for %u minutes is not possible", t.minutesInterval,
                    t.minutesDuration);
  }
  return L"";
}

}  // namespace wc
