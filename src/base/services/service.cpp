#include "base/services/service.h"

#include <algorithm>

#include "base/errors/os_error.h"
#include "base/errors/se_translator.h"
#include "base/log/log.h"
#include "base/system/clock.h"

namespace wc {

namespace service {

namespace {

// The wait after a request gives up when nothing moved for the wait hint plus
// this long, and in any case after the cap.
constexpr uint32_t kGraceAfterWaitHintMs = 300000;
constexpr uint32_t kWaitCapMs = 600000;
// The poll interval is a tenth of the wait hint within these bounds.
constexpr uint32_t kMinPollMs = 1000;
constexpr uint32_t kMaxPollMs = 10000;
// The first wait: this many polls, one second apart, for the state to move.
constexpr int kFirstWaitPolls = 60;
constexpr uint32_t kFirstWaitPollMs = 1000;
// No state a service can have: the target of requests without one.
constexpr uint32_t kNoState = 0;

std::wstring quoted(const wchar_t* action, const std::wstring& name) {
  return std::wstring(action) + L" '" + name + L"'";
}

void logStatusRecord(const ServiceStatus& status) {
  logMessage(LOG_INFO, L"  Service Type: 0x%x", status.serviceType);
  logMessage(LOG_INFO, L"  Controls Accepted: 0x%x", status.controlsAccepted);
  logMessage(LOG_INFO, L"  Current State: %d", status.currentState);
  logMessage(LOG_INFO, L"  Exit Code: %d", status.win32ExitCode);
  logMessage(LOG_INFO, L"  Service Specific Exit Code: %d", status.serviceSpecificExitCode);
  logMessage(LOG_INFO, L"  Check Point: %d", status.checkPoint);
  logMessage(LOG_INFO, L"  Wait Hint: %d", status.waitHint);
}

struct PendingWaitResult {
  uint32_t lastError = 0;  // what the thread's last error would hold
  bool gaveUp = false;
};

// Waits while the service stays in `pendingState`, polling at a tenth of its
// wait hint; progress of the check point restarts the clock. A failed query
// throws "QueryServiceStatus '<name>'" when `function` is given and otherwise
// ends the wait with its code.
PendingWaitResult waitWhilePending(const Context& context, ServiceHandle& handle, uint32_t pendingState,
                                   ServiceStatus& status, const std::wstring& name, const char* function) {
  PendingWaitResult result;
  if (status.currentState != pendingState) return result;
  Clock& clock = *context.clock;
  uint32_t start = clock.tickCount();
  uint32_t oldCheckPoint = status.checkPoint;
  result.lastError = ERROR_TIMEOUT;
  while (status.currentState == pendingState) {
    uint32_t pause = std::clamp(status.waitHint / 10, kMinPollMs, kMaxPollMs);
    clock.sleep(pause);
    if (uint32_t error = handle.queryStatus(status)) {
      if (function) throwOsError(quoted(L"QueryServiceStatus", name), error, VCALLPOINT(L"", function));
      result.lastError = error;
      break;
    }
    uint32_t elapsed = clock.tickCount() - start;
    if (status.checkPoint > oldCheckPoint) {
      start = clock.tickCount();
      oldCheckPoint = status.checkPoint;
    } else if (elapsed > status.waitHint + kGraceAfterWaitHintMs || elapsed > kWaitCapMs) {
      result.lastError = ERROR_TIMEOUT;
      result.gaveUp = true;
      break;
    }
  }
  return result;
}

uint32_t openOrThrow(servicemanager& manager, const std::wstring& name, uint32_t access,
                     std::unique_ptr<ServiceHandle>& handle, const char* function) {
  uint32_t error = manager.openService(name, access, handle);
  if (error) throwOsError(quoted(L"OpenService", name), error, VCALLPOINT(L"", function));
  return 0;
}

void queryOrThrow(ServiceHandle& handle, ServiceStatus& status, const std::wstring& name, const char* function) {
  if (uint32_t error = handle.queryStatus(status)) {
    throwOsError(quoted(L"QueryServiceStatus", name), error, VCALLPOINT(L"", function));
  }
}

struct RequestStates {
  uint32_t pending = kNoState;
  uint32_t target = kNoState;
  uint32_t access = SERVICE_INTERROGATE;
};

RequestStates statesOf(uint32_t request) {
  switch (request) {
    case SERVICE_CONTROL_STOP:
      return {SERVICE_STOP_PENDING, SERVICE_STOPPED, SERVICE_STOP};
    case SERVICE_CONTROL_PAUSE:
      return {SERVICE_PAUSE_PENDING, SERVICE_PAUSED, SERVICE_PAUSE_CONTINUE};
    case SERVICE_CONTROL_CONTINUE:
      return {SERVICE_CONTINUE_PENDING, SERVICE_RUNNING, SERVICE_PAUSE_CONTINUE};
    default:
      return {};
  }
}

// Errors of a stop request that mean there is nothing to stop. The platform
// names the last one "cannot accept control"; its number is 1061, and 1052
// (invalid control) is taken as the same answer.
bool nothingToStop(uint32_t error) {
  return error == ERROR_SERVICE_NOT_ACTIVE || error == ERROR_BROKEN_PIPE || error == ERROR_INVALID_SERVICE_CONTROL ||
         error == ERROR_SERVICE_CANNOT_ACCEPT_CTRL;
}

bool isActiveState(uint32_t state) {
  return state == SERVICE_START_PENDING || state == SERVICE_RUNNING || state == SERVICE_CONTINUE_PENDING;
}

}  // namespace

servicemanager::servicemanager(const Context& context, uint32_t access, const wchar_t* machineName,
                               const wchar_t* databaseName) {
  if (uint32_t error = context.services->openManager(machineName, databaseName, access, handle_)) {
    throwOsError(L"OpenSCManager", error, VCALLPOINT(L"", "`anonymous-namespace'::servicemanager::servicemanager"));
  }
}

uint32_t servicemanager::openService(const std::wstring& name, uint32_t access,
                                     std::unique_ptr<ServiceHandle>& service) {
  return handle_->openService(name, access, service);
}

bool exist(const Context& context, const std::wstring& name, const wchar_t* machineName, const wchar_t* databaseName) {
  servicemanager manager(context, SC_MANAGER_CONNECT, machineName, databaseName);
  std::unique_ptr<ServiceHandle> handle;
  uint32_t error = manager.openService(name, SERVICE_QUERY_STATUS, handle);
  if (error == 0) return true;
  if (error == ERROR_SERVICE_DOES_NOT_EXIST) return false;
  throwOsError(quoted(L"OpenService", name), error, VCALLPOINT(L"", "service::exist"));
}

uint32_t queryStatusService(const Context& context, ServiceStatus& status, const std::wstring& name,
                            const wchar_t* machineName, const wchar_t* databaseName) {
  servicemanager manager(context, SC_MANAGER_CONNECT, machineName, databaseName);
  std::unique_ptr<ServiceHandle> handle;
  openOrThrow(manager, name, SERVICE_QUERY_STATUS, handle, "service::queryStatusService");
  queryOrThrow(*handle, status, name, "service::queryStatusService");
  return 0;
}

bool isActive(const Context& context, const std::wstring& name, const wchar_t* machineName,
              const wchar_t* databaseName) {
  ServiceStatus status;
  if (uint32_t error = queryStatusService(context, status, name, machineName, databaseName)) {
    throwOsError(quoted(L"query status of service", name), error, VCALLPOINT(L"", "service::isActive"));
  }
  return isActiveState(status.currentState);
}

uint32_t controlService(const Context& context, uint32_t request, const std::wstring& name, const wchar_t* machineName,
                        const wchar_t* databaseName) {
  const char* function = "service::controlService";
  RequestStates states = statesOf(request);
  servicemanager manager(context, SC_MANAGER_CONNECT, machineName, databaseName);
  std::unique_ptr<ServiceHandle> handle;
  if (uint32_t error = manager.openService(name, SERVICE_QUERY_STATUS | states.access, handle)) {
    if (request == SERVICE_CONTROL_STOP && error == ERROR_SERVICE_DOES_NOT_EXIST) return 0;
    throwOsError(quoted(L"OpenService", name), error, VCALLPOINT(L"", function));
  }
  ServiceStatus status;
  queryOrThrow(*handle, status, name, function);
  const uint32_t stateBefore = status.currentState;

  // Anything that is not stop, pause or continue goes out as interrogate.
  uint32_t sent = states.target == kNoState ? SERVICE_CONTROL_INTERROGATE : request;
  if (uint32_t error = handle->control(sent, status)) {
    if (request == SERVICE_CONTROL_STOP && nothingToStop(error)) return 0;
    throwOsError(vaformat(L"ControlService '%s' with code %d", name, request), error, VCALLPOINT(L"", function));
  }

  uint32_t lastError = 0;
  try {
    for (int poll = 0; poll < kFirstWaitPolls; ++poll) {
      queryOrThrow(*handle, status, name, function);
      if (status.currentState != stateBefore) break;
      context.clock->sleep(kFirstWaitPollMs);
    }
    if (states.pending != kNoState) {
      PendingWaitResult waited = waitWhilePending(context, *handle, states.pending, status, name, nullptr);
      lastError = waited.lastError;
    }
  } catch (...) {
    logStatusRecord(status);
    throw;
  }
  if (states.target != kNoState && status.currentState == states.target) return 0;
  // A request that never got going leaves no error behind; report it as the
  // service not answering rather than as success.
  uint32_t result = lastError ? lastError : ERROR_SERVICE_REQUEST_TIMEOUT;
  logMessage(LOG_WARNING, L"controlService fail");
  logStatusRecord(status);
  return result;
}

uint32_t startService(const Context& context, const std::wstring& name, const wchar_t* machineName,
                      const wchar_t* databaseName) {
  const char* function = "service::startService";
  SeTranslatorScope translator;
  servicemanager manager(context, SC_MANAGER_CONNECT, machineName, databaseName);
  std::unique_ptr<ServiceHandle> handle;
  openOrThrow(manager, name, SERVICE_ALL_ACCESS, handle, function);
  ServiceStatus status;
  queryOrThrow(*handle, status, name, function);

  bool startIt = false;
  PendingWaitResult waited;
  switch (status.currentState) {
    case SERVICE_STOP_PENDING:
      // On its way down it takes no stop request (1061): wait until it is
      // down, and start it unless someone else did meanwhile.
      waited = waitWhilePending(context, *handle, SERVICE_STOP_PENDING, status, name, function);
      startIt = status.currentState == SERVICE_STOPPED;
      break;
    case SERVICE_STOPPED:
      startIt = true;
      break;
    case SERVICE_CONTINUE_PENDING:
    case SERVICE_PAUSED:
      return controlService(context, SERVICE_CONTROL_CONTINUE, name, machineName, databaseName);
    case SERVICE_PAUSE_PENDING:
      if (uint32_t result = controlService(context, SERVICE_CONTROL_PAUSE, name, machineName, databaseName))
        return result;
      return controlService(context, SERVICE_CONTROL_CONTINUE, name, machineName, databaseName);
    default:  // start pending, running: only the wait is left
      break;
  }
  if (startIt) {
    uint32_t error = handle->start();
    if (error != 0 && error != ERROR_SERVICE_ALREADY_RUNNING) {
      throwOsError(quoted(L"StartService", name), error, VCALLPOINT(L"", function));
    }
    queryOrThrow(*handle, status, name, function);
  }

  if (!waited.gaveUp) waited = waitWhilePending(context, *handle, SERVICE_START_PENDING, status, name, function);
  if (status.currentState == SERVICE_RUNNING) return 0;
  uint32_t result;
  if (waited.gaveUp) {
    result = ERROR_TIMEOUT;
  } else {
    result =
        status.win32ExitCode == ERROR_SERVICE_SPECIFIC_ERROR ? status.serviceSpecificExitCode : status.win32ExitCode;
    if (result == 0) result = status.currentState;
  }
  logMessage(LOG_WARNING, L"StartService '%s' failed", name);
  logStatusRecord(status);
  return result;
}

void startStopService(const Context& context, const std::wstring& name, bool start, const wchar_t* machineName,
                      const wchar_t* databaseName, ProgressCallback callback, void* callbackArgument,
                      std::vector<std::wstring>* stoppedDependents) {
  if (isActive(context, name, machineName, databaseName) == start) return;
  if (callback) callback(kProgressBegin, callbackArgument);

  std::vector<std::wstring> related;
  if (start) {
    serviceDependencies(context, related, name, machineName, databaseName);
  } else {
    dependentServices(context, related, name, SERVICE_ACTIVE, machineName, databaseName);
  }
  for (const std::wstring& other : related) {
    if (!start && stoppedDependents) stoppedDependents->push_back(other);
    startStopService(context, other, start, machineName, databaseName, nullptr, nullptr, stoppedDependents);
  }

  if (callback) callback(start ? kProgressStarting : kProgressStopping, callbackArgument);
  uint32_t result = start ? startService(context, name, machineName, databaseName)
                          : controlService(context, SERVICE_CONTROL_STOP, name, machineName, databaseName);
  if (result) {
    throwOsError((start ? L"Start service " : L"Stop service ") + name, result,
                 VCALLPOINT(L"", "service::startStopService"));
  }
}

void dependentServices(const Context& context, std::vector<std::wstring>& names, const std::wstring& name,
                       uint32_t stateFilter, const wchar_t* machineName, const wchar_t* databaseName) {
  const char* function = "service::dependentServices";
  servicemanager manager(context, SC_MANAGER_CONNECT, machineName, databaseName);
  std::unique_ptr<ServiceHandle> handle;
  openOrThrow(manager, name, SERVICE_ENUMERATE_DEPENDENTS, handle, function);
  std::vector<DependentService> entries;
  uint32_t bufferBytes = kDependentEntryBytes;
  uint32_t bytesNeeded = 0;
  uint32_t error = handle->enumDependentServices(stateFilter, bufferBytes, entries, bytesNeeded);
  if (error == ERROR_MORE_DATA) {
    bufferBytes = bytesNeeded;
    entries.clear();
    error = handle->enumDependentServices(stateFilter, bufferBytes, entries, bytesNeeded);
  }
  if (error) throwOsError(quoted(L"enum dependent services of service", name), error, VCALLPOINT(L"", function));
  for (const DependentService& entry : entries) names.push_back(entry.serviceName);
}

void serviceDependencies(const Context& context, std::vector<std::wstring>& names, const std::wstring& name,
                         const wchar_t* machineName, const wchar_t* databaseName) {
  const char* function = "service::serviceDependencies";
  servicemanager manager(context, SC_MANAGER_CONNECT, machineName, databaseName);
  std::unique_ptr<ServiceHandle> handle;
  openOrThrow(manager, name, SERVICE_QUERY_CONFIG, handle, function);
  ServiceConfig config;
  uint32_t bytesNeeded = 0;
  uint32_t error = handle->queryConfig(260, config, bytesNeeded);
  if (error == ERROR_INSUFFICIENT_BUFFER) error = handle->queryConfig(bytesNeeded, config, bytesNeeded);
  if (error) throwOsError(quoted(L"query service config", name), error, VCALLPOINT(L"", function));
  // The list is NUL-separated and ends with an empty entry.
  size_t begin = 0;
  while (begin < config.dependencies.size() && config.dependencies[begin] != L'\0') {
    size_t end = config.dependencies.find(L'\0', begin);
    if (end == std::wstring::npos) end = config.dependencies.size();
    names.push_back(config.dependencies.substr(begin, end - begin));
    begin = end + 1;
  }
}

}  // namespace service

}  // namespace wc
