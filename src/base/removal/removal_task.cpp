#include "base/removal/removal_task.h"

#include "base/errors/vexception.h"
#include "base/files/file_name.h"
#include "base/registry/registry.h"
#include "base/removal/scheduler_task.h"
#include "base/system/clock.h"
#include "base/system/named_mutex.h"
#include "base/text/vaformat.h"

namespace wc {

namespace {

constexpr uint32_t kMinutesPerDay = 1440;
constexpr uint32_t kLongestPeriod = 0xFFFFFFFE;  // one more minute must still fit

void readSetting(const Context& context, const wchar_t* name, uint32_t& value) {
  uint32_t read = 0;
  if (registry::lookupDword(context, registry::Root::LocalMachine, registry::kConfigKey, name, read,
                            registry::kView32) == 0) {
    value = read;
  }
}

}  // namespace

RemovalTiming readRemovalTiming(const Context& context) {
  RemovalTiming timing;
  readSetting(context, L"DeferredFilesRemovalWait", timing.waitMinutes);
  readSetting(context, L"DeferredFilesRemovalUpdatePeriod", timing.updatePeriodMinutes);
  if (timing.updatePeriodMinutes == 0 || timing.updatePeriodMinutes > kLongestPeriod) {
    throw vexception(vaformat(L"The setting DeferredFilesRemovalUpdatePeriod must be from 1 to %u minutes, not %u",
                              kLongestPeriod, timing.updatePeriodMinutes),
                     VCALLPOINT(L"", "readRemovalTiming"));
  }
  return timing;
}

uint32_t repetitionDuration(uint32_t updatePeriodMinutes) {
  return updatePeriodMinutes >= kMinutesPerDay ? updatePeriodMinutes + 1 : kMinutesPerDay;
}

std::vector<TaskTrigger> removalTriggers(const RemovalTiming& timing, int64_t nowSeconds) {
  const LocalTime first = toLocalTime(nowSeconds + int64_t{timing.waitMinutes} * 60);
  TaskTrigger daily;
  daily.type = TaskTrigger::Type::Daily;
  daily.beginYear = first.year;
  daily.beginMonth = first.month;
  daily.beginDay = first.day;
  daily.startHour = first.hour;
  daily.startMinute = first.minute;
  daily.daysInterval = 1;
  daily.minutesInterval = timing.updatePeriodMinutes;
  daily.minutesDuration = repetitionDuration(timing.updatePeriodMinutes);

  TaskTrigger atStart;
  atStart.type = TaskTrigger::Type::AtSystemStart;
  atStart.beginYear = first.year;
  atStart.beginMonth = first.month;
  atStart.beginDay = first.day;
  return {daily, atStart};
}

std::wstring removalToolPath(const std::wstring& productRoot) {
  return VFileName::combine(VFileName::combine(VFileName::combine(productRoot, L"admin"), L"bin"),
                            removalToolFileName());
}

void scheduleRemovalTask(const Context& context, const RemovalTiming& timing,
                         const std::function<std::wstring()>& productRoot) {
  NamedMutexLock lock(kRemovalTaskMutex, "scheduleRemovalTask");
  SchedulerTask task(kRemovalTaskName);
  if (!task.open()) task.install(removalToolPath(productRoot()), kRemovalToolParameters);
  if (task.triggerCount() != 0) return;
  for (const TaskTrigger& trigger : removalTriggers(timing, context.clock->now())) task.addTrigger(trigger);
  task.save();
}

void clearRemovalTaskTriggers() {
  NamedMutexLock lock(kRemovalTaskMutex, "clearRemovalTaskTriggers");
  SchedulerTask task(kRemovalTaskName);
  if (!task.open() || task.triggerCount() == 0) return;
  task.clearTriggers();
  task.save();
}

}  // namespace wc
