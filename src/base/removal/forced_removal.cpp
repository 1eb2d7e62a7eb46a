#include "base/removal/forced_removal.h"

#include <exception>

#include "base/errors/os_error.h"
#include "base/log/log.h"
#include "base/removal/immediate_removal.h"
#include "base/removal/removal_storage.h"
#include "base/removal/removal_task.h"
#include "base/services/service.h"
#include "base/system/named_mutex.h"
#include "base/text/convert.h"
#include "base/text/strings.h"

namespace wc {

namespace {

// Runs a service request whose failure must not end the removal.
template <class Request>
void logFailureOf(const wchar_t* action, const std::wstring& name, Request&& request) {
  std::wstring failure;
  try {
    if (uint32_t error = request()) failure = osErrorText(error, nullptr);
  } catch (const vexception& e) {
    failure = e.message();
  } catch (const std::exception& e) {
    failure = wstrLenient(e.what());
  }
  if (!failure.empty()) logMessage(LOG_ERROR, L"Unable to %s service %s: %s", action, name, failure);
}

}  // namespace

void forceRemoval(const Context& context, const std::wstring& storagePath, const std::wstring& service,
                  bool keepStopped) {
  RemovalStorage storage(context, storagePath);
  storage.load();

  ServiceNameSet mustStayStopped;
  if (keepStopped && !service.empty()) mustStayStopped.insert(service);

  ImmediatelyFilesRemoval removal(context);
  for (const RemovalEntry& entry : storage.entries()) {
    if (!service.empty() && !equalsIgnoreCase(entry.service, service)) continue;
    if (removal.remove(entry)) storage.remove(entry.id);
  }

  for (const std::wstring& stopped : removal.stoppedServices()) {
    if (mustStayStopped.count(stopped)) continue;
    logFailureOf(L"start", stopped, [&] { return service::startService(context, stopped); });
  }
  for (const std::wstring& name : mustStayStopped) {
    if (!service.empty() && !equalsIgnoreCase(name, service)) continue;
    logFailureOf(L"stop", name, [&] { return service::controlService(context, SERVICE_CONTROL_STOP, name); });
  }

  NamedMutexLock taskLock(kRemovalTaskMutex, "forceRemoval");
  if (storage.commit() == 0) clearRemovalTaskTriggers();
}

}  // namespace wc
