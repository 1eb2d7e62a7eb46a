#include "base/removal/scheduler_task.h"

#include "base/errors/vguard.h"
#include "base/removal/work_item_store.h"

namespace wc {

SchedulerTask::SchedulerTask(std::wstring name) : name_(std::move(name)) {}

WorkItem& SchedulerTask::openItem(const char* function) {
  if (!item_) throw vexception(L"The work item '" + name_ + L"' is not open", VCALLPOINT(L"", function));
  return *item_;
}

const WorkItem& SchedulerTask::item() const {
  return const_cast<SchedulerTask*>(this)->openItem("SchedulerTask::item");
}

bool SchedulerTask::open() {
  return vguard("SchedulerTask::getTask", __LINE__, L"SchedulerTask::getTask", [&] {
    item_ = loadWorkItem(name_);
    return item_.has_value();
  });
}

void SchedulerTask::install(const std::wstring& application, const std::wstring& parameters) {
  vguard("SchedulerTask::install", __LINE__, L"SchedulerTask::install", [&] {
    if (application.empty()) {
      throw vexception(L"The work item '" + name_ + L"' needs an application",
                       VCALLPOINT(L"", "SchedulerTask::install"));
    }
    item_ = WorkItem{application, parameters, L"", {}};
  });
}

size_t SchedulerTask::triggerCount() const { return item().triggers.size(); }

void SchedulerTask::addTrigger(const TaskTrigger& trigger) {
  const bool daily = trigger.type == TaskTrigger::Type::Daily;
  const char* function = daily ? "SchedulerTask::addDailyTrigger" : "SchedulerTask::addAtSystemStartTrigger";
  const wchar_t* context = daily ? L"SchedulerTask::addDailyTrigger" : L"SchedulerTask::addAtSystemStartTrigger";
  vguard(function, __LINE__, context, [&] {
    WorkItem& item = openItem(function);
    if (std::wstring problem = triggerProblem(trigger); !problem.empty()) {
      throw vexception(L"The scheduler refuses the trigger: " + problem, VCALLPOINT(L"", function));
    }
    item.triggers.push_back(trigger);
  });
}

void SchedulerTask::clearTriggers() {
  vguard("SchedulerTask::clearTriggers", __LINE__, L"SchedulerTask::clearTriggers",
         [&] { openItem("SchedulerTask::clearTriggers").triggers.clear(); });
}

void SchedulerTask::save() {
  vguard("SchedulerTask::saveTask", __LINE__, L"SchedulerTask::saveTask",
         [&] { saveWorkItem(name_, openItem("SchedulerTask::saveTask")); });
}

}  // namespace wc
