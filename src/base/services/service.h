#pragma once
// The service wrapper: does a service exist, what is its status, start or
// stop it and wait until it has got there, dependencies first on start and
// dependents first on stop. Failing system calls throw the OS-error exception
// with a text naming the call and the service; a service that does not reach
// the requested state is reported by a result code (controlService,
// startService) or by the "Start service "/"Stop service " exception
// (startStopService). The context's service control answers; every sleep
// and every time reading goes through its clock.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/services/service_control.h"
#include "base/system/context.h"

namespace wc {

namespace service {

// Stages reported to the progress callback of startStopService.
constexpr int kProgressBegin = 0;
constexpr int kProgressStarting = 1;
constexpr int kProgressStopping = 2;
using ProgressCallback = void (*)(int stage, void* argument);

// Holder of a service control manager handle, open for its lifetime. Throws
// the OS-error exception "OpenSCManager" when the manager does not open.
class servicemanager {
 public:
  servicemanager(const Context& context, uint32_t access, const wchar_t* machineName, const wchar_t* databaseName);
  servicemanager(const servicemanager&) = delete;
  servicemanager& operator=(const servicemanager&) = delete;

  // OpenServiceW: 0 or the error code.
  uint32_t openService(const std::wstring& name, uint32_t access, std::unique_ptr<ServiceHandle>& service);
  ServiceManagerHandle& handle() { return *handle_; }

 private:
  std::unique_ptr<ServiceManagerHandle> handle_;
};

// False only when the system says the service does not exist (1060).
bool exist(const Context& context, const std::wstring& name, const wchar_t* machineName = nullptr,
           const wchar_t* databaseName = nullptr);

// Always 0; throws on failure.
uint32_t queryStatusService(const Context& context, ServiceStatus& status, const std::wstring& name,
                            const wchar_t* machineName = nullptr, const wchar_t* databaseName = nullptr);

// True for start pending, running and continue pending.
bool isActive(const Context& context, const std::wstring& name, const wchar_t* machineName = nullptr,
              const wchar_t* databaseName = nullptr);

// Sends the request and waits for it to take effect: 0 when the service got
// to the request's target state, else the error code (1460 when the wait gave
// up). Stopping a service that does not exist or does not run is 0.
uint32_t controlService(const Context& context, uint32_t request, const std::wstring& name,
                        const wchar_t* machineName = nullptr, const wchar_t* databaseName = nullptr);

// Starts the service from whatever state it is in and waits until it runs:
// 0, or the error code (1460 when the wait gave up, the service's own exit
// code, or the state number when the service gives no code).
uint32_t startService(const Context& context, const std::wstring& name, const wchar_t* machineName = nullptr,
                      const wchar_t* databaseName = nullptr);

// Brings the service to running (start) or stopped (!start), the services it
// depends on first on a start and the services depending on it first on a
// stop. The callback, if any, hears kProgressBegin and then kProgressStarting
// or kProgressStopping; `stoppedDependents`, if given, collects the names of
// the dependents this call stopped. Throws "Start service <name>" or
// "Stop service <name>" with the error code when the request fails.
void startStopService(const Context& context, const std::wstring& name, bool start,
                      const wchar_t* machineName = nullptr, const wchar_t* databaseName = nullptr,
                      ProgressCallback callback = nullptr, void* callbackArgument = nullptr,
                      std::vector<std::wstring>* stoppedDependents = nullptr);

// Appends the names of the services that depend on the service and are in the
// state `stateFilter` (SERVICE_ACTIVE, SERVICE_INACTIVE, SERVICE_STATE_ALL).
void dependentServices(const Context& context, std::vector<std::wstring>& names, const std::wstring& name,
                       uint32_t stateFilter, const wchar_t* machineName = nullptr,
                       const wchar_t* databaseName = nullptr);

// Appends the names of the services the service depends on.
void serviceDependencies(const Context& context, std::vector<std::wstring>& names, const std::wstring& name,
                         const wchar_t* machineName = nullptr, const wchar_t* databaseName = nullptr);

}  // namespace service

}  // namespace wc
