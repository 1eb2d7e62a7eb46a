// The service control manager on Windows: each call of the seam is the
// manager's own call, and its error is what GetLastError says.

#include "base/services/service_control.h"

#include <windows.h>

#include <memory>
#include <vector>

#include "base/system/unique_handle.h"

namespace wc {

namespace {

struct ServiceHandleTraits {
  using Handle = SC_HANDLE;
  static SC_HANDLE invalid() { return nullptr; }
  static void close(SC_HANDLE handle) { CloseServiceHandle(handle); }
};
using UniqueServiceHandle = UniqueHandle<ServiceHandleTraits>;

ServiceStatus statusOf(const SERVICE_STATUS& status) {
  return {status.dwServiceType,
          status.dwCurrentState,
          status.dwControlsAccepted,
          status.dwWin32ExitCode,
          status.dwServiceSpecificExitCode,
          status.dwCheckPoint,
          status.dwWaitHint};
}

std::wstring textOrEmpty(const wchar_t* text) { return text ? text : L""; }

// A NUL-separated list ended by one more NUL, the NULs included.
std::wstring multiString(const wchar_t* list) {
  if (!list || !*list) return std::wstring(1, L'\0');
  const wchar_t* end = list;
  while (*end) end += wcslen(end) + 1;
  return std::wstring(list, end + 1);
}

// Room for `bytes` bytes, aligned for the record the manager writes there.
template <class Record>
std::vector<Record> recordBuffer(uint32_t bytes) {
  return std::vector<Record>(bytes / sizeof(Record) + 1);
}

class ManagedService : public ServiceHandle {
 public:
  explicit ManagedService(UniqueServiceHandle handle) : handle_(std::move(handle)) {}

  uint32_t queryStatus(ServiceStatus& status) override {
    SERVICE_STATUS_PROCESS process{};
    DWORD needed = 0;
    if (!QueryServiceStatusEx(handle_.get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&process), sizeof process,
                              &needed))
      return GetLastError();
    status = {process.dwServiceType,
              process.dwCurrentState,
              process.dwControlsAccepted,
              process.dwWin32ExitCode,
              process.dwServiceSpecificExitCode,
              process.dwCheckPoint,
              process.dwWaitHint};
    return ERROR_SUCCESS;
  }

  uint32_t control(uint32_t request, ServiceStatus& status) override {
    SERVICE_STATUS reported{};
    const DWORD error = ControlService(handle_.get(), request, &reported) ? ERROR_SUCCESS : GetLastError();
    // The manager reports the status with these answers only.
    if (error == ERROR_SUCCESS || error == ERROR_INVALID_SERVICE_CONTROL || error == ERROR_SERVICE_CANNOT_ACCEPT_CTRL ||
        error == ERROR_SERVICE_NOT_ACTIVE) {
      status = statusOf(reported);
    }
    return error;
  }

  uint32_t start() override { return StartServiceW(handle_.get(), 0, nullptr) ? ERROR_SUCCESS : GetLastError(); }

  uint32_t enumDependentServices(uint32_t stateFilter, uint32_t bufferBytes, std::vector<DependentService>& services,
                                 uint32_t& bytesNeeded) override {
    std::vector<ENUM_SERVICE_STATUSW> entries = recordBuffer<ENUM_SERVICE_STATUSW>(bufferBytes);
    DWORD needed = 0;
    DWORD returned = 0;
    if (!EnumDependentServicesW(handle_.get(), stateFilter, entries.data(), bufferBytes, &needed, &returned)) {
      DWORD error = GetLastError();
      if (error == ERROR_MORE_DATA) bytesNeeded = needed;
      return error;
    }
    bytesNeeded = needed;
    services.clear();
    for (DWORD i = 0; i < returned; ++i) {
      services.push_back({textOrEmpty(entries[i].lpServiceName), textOrEmpty(entries[i].lpDisplayName),
                          statusOf(entries[i].ServiceStatus)});
    }
    return ERROR_SUCCESS;
  }

  uint32_t queryConfig(uint32_t bufferBytes, ServiceConfig& config, uint32_t& bytesNeeded) override {
    std::vector<QUERY_SERVICE_CONFIGW> buffer = recordBuffer<QUERY_SERVICE_CONFIGW>(bufferBytes);
    DWORD needed = 0;
    if (!QueryServiceConfigW(handle_.get(), buffer.data(), bufferBytes, &needed)) {
      DWORD error = GetLastError();
      if (error == ERROR_INSUFFICIENT_BUFFER) bytesNeeded = needed;
      return error;
    }
    const QUERY_SERVICE_CONFIGW& record = buffer.front();
    config.serviceType = record.dwServiceType;
    config.startType = record.dwStartType;
    config.errorControl = record.dwErrorControl;
    config.binaryPathName = textOrEmpty(record.lpBinaryPathName);
    config.dependencies = multiString(record.lpDependencies);
    config.displayName = textOrEmpty(record.lpDisplayName);
    return ERROR_SUCCESS;
  }

  uint32_t remove() override { return DeleteService(handle_.get()) ? ERROR_SUCCESS : GetLastError(); }

 private:
  UniqueServiceHandle handle_;
};

class Manager : public ServiceManagerHandle {
 public:
  explicit Manager(UniqueServiceHandle handle) : handle_(std::move(handle)) {}

  uint32_t openService(const std::wstring& name, uint32_t access, std::unique_ptr<ServiceHandle>& service) override {
    UniqueServiceHandle opened(OpenServiceW(handle_.get(), name.c_str(), access));
    if (!opened) return GetLastError();
    service = std::make_unique<ManagedService>(std::move(opened));
    return ERROR_SUCCESS;
  }

  uint32_t createService(const NewService& definition, uint32_t access,
                         std::unique_ptr<ServiceHandle>& service) override {
    std::wstring dependencies;
    for (const std::wstring& dependency : definition.dependencies) {
      dependencies += dependency;
      dependencies += L'\0';
    }
    dependencies += L'\0';
    const std::wstring& displayName = definition.displayName.empty() ? definition.name : definition.displayName;
    // The service runs as LocalSystem, the account of the panel's services.
    UniqueServiceHandle created(
        CreateServiceW(handle_.get(), definition.name.c_str(), displayName.c_str(), access, definition.serviceType,
                       definition.startType, definition.errorControl, definition.binaryPathName.c_str(), nullptr,
                       nullptr, definition.dependencies.empty() ? nullptr : dependencies.c_str(), nullptr, nullptr));
    if (!created) return GetLastError();
    service = std::make_unique<ManagedService>(std::move(created));
    return ERROR_SUCCESS;
  }

 private:
  UniqueServiceHandle handle_;
};

class WindowsServiceControl : public ServiceControl {
 public:
  uint32_t openManager(const wchar_t* machineName, const wchar_t* databaseName, uint32_t access,
                       std::unique_ptr<ServiceManagerHandle>& manager) override {
    UniqueServiceHandle opened(OpenSCManagerW(machineName, databaseName, access));
    if (!opened) return GetLastError();
    manager = std::make_unique<Manager>(std::move(opened));
    return ERROR_SUCCESS;
  }
};

}  // namespace

ServiceControl& systemServiceControl() {
  static WindowsServiceControl control;
  return control;
}

}  // namespace wc
