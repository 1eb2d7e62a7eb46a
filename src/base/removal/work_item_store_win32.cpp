// Work items as Task Scheduler 1.0 work items (ITaskScheduler, ITask,
// ITaskTrigger, IPersistFile), which the scheduler keeps in its tasks folder.

#include "base/removal/work_item_store.h"

#include <limits>

#include "base/errors/com_error.h"
#include "base/errors/vexception.h"
#include "base/files/file_name.h"
#include "base/removal/com_ptr_win32.h"
#include "base/removal/removal_task.h"
#include "base/system/com_apartment.h"
#include "base/system/unique_handle.h"

// After the project's headers: the macros of the Windows headers carry the
// same names as the project's constants.
#include <mstask.h>
#include <objidl.h>
#include <windows.h>

namespace wc {

namespace {

// A string the scheduler allocated for the caller.
struct TaskMemTraits {
  using Handle = wchar_t*;
  static wchar_t* invalid() { return nullptr; }
  static void close(wchar_t* text) { CoTaskMemFree(text); }
};
using TaskMemString = UniqueHandle<TaskMemTraits>;

void check(HRESULT result, const std::wstring& call, const char* function, uint32_t line) {
  if (FAILED(result)) throw comErrorException(ComError(static_cast<uint32_t>(result)), call, function, line);
}
#define CHECK_HRESULT(call, what, function) check((call), (what), (function), __LINE__)

ComPtr<ITaskScheduler> openScheduler(const char* function) {
  ITaskScheduler* scheduler = nullptr;
  CHECK_HRESULT(CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                                 reinterpret_cast<void**>(&scheduler)),
                L"CoCreateInstance(CTaskScheduler)", function);
  return ComPtr<ITaskScheduler>(scheduler);
}

// The saved work item, or nothing when there is none by that name.
ComPtr<ITask> activate(ITaskScheduler& scheduler, const std::wstring& name, const char* function) {
  IUnknown* found = nullptr;
  HRESULT result = scheduler.Activate(name.c_str(), IID_ITask, &found);
  if (result == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) return ComPtr<ITask>();
  CHECK_HRESULT(result, L"ITaskScheduler::Activate(" + name + L")", function);
  return ComPtr<ITask>(static_cast<ITask*>(found));
}

template <class Getter>
std::wstring taskString(Getter get, const std::wstring& what, const char* function) {
  wchar_t* raw = nullptr;
  HRESULT result = get(&raw);
  TaskMemString text(raw);
  CHECK_HRESULT(result, what, function);
  return text ? std::wstring(text.get()) : std::wstring();
}

// The scheduler answers "not set" for an item that runs as the system
// account when the account was never read back from its security store.
bool isAccountNotSet(HRESULT result) {
  return result == SCHED_E_ACCOUNT_INFORMATION_NOT_SET || result == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
}

std::wstring accountOf(ITask& task, const char* function) {
  wchar_t* raw = nullptr;
  HRESULT result = task.GetAccountInformation(&raw);
  TaskMemString account(raw);
  if (isAccountNotSet(result)) return L"";
  CHECK_HRESULT(result, L"ITask::GetAccountInformation", function);
  return account ? std::wstring(account.get()) : std::wstring();
}

// The removal's triggers; nothing for a trigger of another kind, such as the
// placeholder the scheduler writes for an item that has none or one added
// by hand: those read as no trigger and are replaced when the item is saved.
std::optional<TaskTrigger> fromTaskTrigger(const TASK_TRIGGER& t) {
  if (t.rgFlags & TASK_TRIGGER_FLAG_DISABLED) return std::nullopt;
  TaskTrigger trigger;
  trigger.beginYear = t.wBeginYear;
  trigger.beginMonth = t.wBeginMonth;
  trigger.beginDay = t.wBeginDay;
  if (t.TriggerType == TASK_EVENT_TRIGGER_AT_SYSTEMSTART) {
    trigger.type = TaskTrigger::Type::AtSystemStart;
    return trigger;
  }
  if (t.TriggerType != TASK_TIME_TRIGGER_DAILY) return std::nullopt;
  trigger.type = TaskTrigger::Type::Daily;
  trigger.startHour = t.wStartHour;
  trigger.startMinute = t.wStartMinute;
  trigger.daysInterval = t.Type.Daily.DaysInterval;
  trigger.minutesInterval = t.MinutesInterval;
  trigger.minutesDuration = t.MinutesDuration;
  return trigger;
}

TASK_TRIGGER toTaskTrigger(const TaskTrigger& trigger, const std::wstring& name) {
  TASK_TRIGGER t{};
  t.cbTriggerSize = sizeof t;
  t.wBeginYear = static_cast<WORD>(trigger.beginYear);
  t.wBeginMonth = static_cast<WORD>(trigger.beginMonth);
  t.wBeginDay = static_cast<WORD>(trigger.beginDay);
  if (trigger.type == TaskTrigger::Type::AtSystemStart) {
    t.TriggerType = TASK_EVENT_TRIGGER_AT_SYSTEMSTART;
    return t;
  }
  if (trigger.daysInterval > std::numeric_limits<WORD>::max()) {
    throw vexception(
        L"The work item '" + name + L"' cannot run only every " + std::to_wstring(trigger.daysInterval) + L" days",
        VCALLPOINT(L"", "saveWorkItem"));
  }
  t.TriggerType = TASK_TIME_TRIGGER_DAILY;
  t.Type.Daily.DaysInterval = static_cast<WORD>(trigger.daysInterval);
  t.wStartHour = static_cast<WORD>(trigger.startHour);
  t.wStartMinute = static_cast<WORD>(trigger.startMinute);
  t.MinutesInterval = trigger.minutesInterval;
  t.MinutesDuration = trigger.minutesDuration;
  return t;
}

WorkItem readWorkItem(ITask& task) {
  const char* function = "loadWorkItem";
  WorkItem item;
  item.application =
      taskString([&](LPWSTR* out) { return task.GetApplicationName(out); }, L"ITask::GetApplicationName", function);
  item.parameters = taskString([&](LPWSTR* out) { return task.GetParameters(out); }, L"ITask::GetParameters", function);
  item.account = accountOf(task, function);
  WORD count = 0;
  CHECK_HRESULT(task.GetTriggerCount(&count), L"ITask::GetTriggerCount", function);
  for (WORD index = 0; index < count; ++index) {
    ITaskTrigger* raw = nullptr;
    CHECK_HRESULT(task.GetTrigger(index, &raw), L"ITask::GetTrigger", function);
    ComPtr<ITaskTrigger> trigger(raw);
    TASK_TRIGGER data{};
    data.cbTriggerSize = sizeof data;
    CHECK_HRESULT(trigger.get()->GetTrigger(&data), L"ITaskTrigger::GetTrigger", function);
    if (std::optional<TaskTrigger> known = fromTaskTrigger(data)) item.triggers.push_back(*known);
  }
  return item;
}

void writeWorkItem(ITask& task, const std::wstring& name, const WorkItem& item) {
  const char* function = "saveWorkItem";
  CHECK_HRESULT(task.SetApplicationName(item.application.c_str()), L"ITask::SetApplicationName", function);
  CHECK_HRESULT(task.SetParameters(item.parameters.c_str()), L"ITask::SetParameters", function);
  CHECK_HRESULT(task.SetWorkingDirectory(VFileName::parent(item.application).c_str()), L"ITask::SetWorkingDirectory",
                function);
  // An empty account name with no password is the system account; another
  // account without its password can run only while it is logged on.
  CHECK_HRESULT(task.SetAccountInformation(item.account.c_str(), nullptr), L"ITask::SetAccountInformation", function);
  CHECK_HRESULT(task.SetFlags(item.account.empty() ? 0 : TASK_FLAG_RUN_ONLY_IF_LOGGED_ON), L"ITask::SetFlags",
                function);

  WORD count = 0;
  CHECK_HRESULT(task.GetTriggerCount(&count), L"ITask::GetTriggerCount", function);
  while (count > 0) CHECK_HRESULT(task.DeleteTrigger(--count), L"ITask::DeleteTrigger", function);
  for (const TaskTrigger& trigger : item.triggers) {
    TASK_TRIGGER data = toTaskTrigger(trigger, name);
    WORD index = 0;
    ITaskTrigger* raw = nullptr;
    CHECK_HRESULT(task.CreateTrigger(&index, &raw), L"ITask::CreateTrigger", function);
    ComPtr<ITaskTrigger> created(raw);
    CHECK_HRESULT(created.get()->SetTrigger(&data), L"ITaskTrigger::SetTrigger", function);
  }

  IPersistFile* raw = nullptr;
  CHECK_HRESULT(task.QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&raw)), L"ITask::QueryInterface",
                function);
  ComPtr<IPersistFile> file(raw);
  CHECK_HRESULT(file.get()->Save(nullptr, TRUE), L"IPersistFile::Save", function);
}

}  // namespace

std::optional<WorkItem> loadWorkItem(const std::wstring& name) {
  ComApartment com;
  ComPtr<ITaskScheduler> scheduler = openScheduler("loadWorkItem");
  ComPtr<ITask> task = activate(*scheduler.get(), name, "loadWorkItem");
  if (!task) return std::nullopt;
  return readWorkItem(*task.get());
}

void saveWorkItem(const std::wstring& name, const WorkItem& item) {
  ComApartment com;
  ComPtr<ITaskScheduler> scheduler = openScheduler("saveWorkItem");
  ComPtr<ITask> task = activate(*scheduler.get(), name, "saveWorkItem");
  if (!task) {
    IUnknown* created = nullptr;
    CHECK_HRESULT(scheduler.get()->NewWorkItem(name.c_str(), CLSID_CTask, IID_ITask, &created),
                  L"ITaskScheduler::NewWorkItem(" + name + L")", "saveWorkItem");
    task.reset(static_cast<ITask*>(created));
  }
  writeWorkItem(*task.get(), name, item);
}

// The removal tool the work item starts.
std::wstring removalToolFileName() { return L"cleanrun.exe"; }

}  // namespace wc
