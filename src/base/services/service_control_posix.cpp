// The POSIX stand-in of the service control manager. A service is its key in
// the settings store (service_registry.h); a started service is watched by its
// host, hcpsvc, which keeps the status record in the service's directory under
// the sandbox root. Queries read that record and never need the host to
// answer: a record whose host no longer holds the host lock is read as
// stopped. A stop request is SIGTERM to the host.

#include "base/services/service_control.h"

#include <algorithm>
#include <map>
#include <set>

#include "base/errors/win_error_codes.h"
#include "base/services/host_process.h"
#include "base/services/service_registry.h"
#include "base/services/status_record.h"
#include "base/system/clock.h"
#include "base/text/strings.h"

namespace wc {

namespace {

// How long a stop request waits for the host to take it up.
constexpr uint32_t kStopAcknowledgeMs = 10000;
constexpr uint32_t kStopAcknowledgePollMs = 20;

// The status of the service as a query reports it: 0 or ERROR_FILE_CORRUPT for
// a record that cannot be read.
uint32_t currentStatus(const std::wstring& keyName, StatusRecord& out) {
  std::optional<std::string> text = readStatusRecordText(keyName);
  std::optional<StatusRecord> record;
  if (text) record = parseStatusRecord(*text);
  std::optional<uint32_t> host = serviceHostPid(keyName);
  if (!host) {
    // The host may have written its last record just before it ended.
    text = readStatusRecordText(keyName);
    record = text ? parseStatusRecord(*text) : std::nullopt;
    out = recordOfDeadHost(record);
    return 0;
  }
  if (text && !record) return ERROR_FILE_CORRUPT;
  if (!record || record->hostPid != *host) {
    // A new host holds the lock but has not written its first record yet.
    out = StatusRecord{};
    out.status.serviceType = SERVICE_WIN32_OWN_PROCESS;
    out.status.currentState = SERVICE_START_PENDING;
    out.status.waitHint = kDefaultWaitHintMs;
    out.hostPid = *host;
    return 0;
  }
  out = *record;
  return 0;
}

bool isStoppedState(uint32_t state) { return state == SERVICE_STOPPED; }

class StandInService : public ServiceHandle {
 public:
  StandInService(std::wstring keyName, uint32_t access) : name_(std::move(keyName)), access_(access) {}

  uint32_t queryStatus(ServiceStatus& status) override {
    if (!hasAccess(access_, SERVICE_QUERY_STATUS)) return ERROR_ACCESS_DENIED;
    StatusRecord record;
    if (uint32_t error = currentStatus(name_, record)) return error;
    status = record.status;
    return 0;
  }

  uint32_t control(uint32_t request, ServiceStatus& status) override {
    if (!hasAccess(access_, accessNeededForControl(request))) return ERROR_ACCESS_DENIED;
    if (request < SERVICE_CONTROL_STOP || request > SERVICE_CONTROL_INTERROGATE) return ERROR_INVALID_PARAMETER;
    StatusRecord record;
    if (uint32_t error = currentStatus(name_, record)) return error;
    if (uint32_t refused = controlRefusedInState(record.status.currentState, request)) {
      status = record.status;
      return refused;
    }
    // The host knows stop and interrogate only.
    if (request == SERVICE_CONTROL_PAUSE || request == SERVICE_CONTROL_CONTINUE) {
      status = record.status;
      return ERROR_INVALID_SERVICE_CONTROL;
    }
    if (request == SERVICE_CONTROL_STOP) {
      if (uint32_t error = requestHostStop(record.hostPid)) return error;
      if (uint32_t error = awaitStopAcknowledged(record)) return error;
    }
    status = record.status;
    return 0;
  }

  uint32_t start() override {
    if (!hasAccess(access_, SERVICE_START)) return ERROR_ACCESS_DENIED;
    ServiceDefinition definition = readServiceDefinition(name_);
    if (definition.deletePending) return ERROR_SERVICE_MARKED_FOR_DELETE;
    if (definition.startType == SERVICE_DISABLED) return ERROR_SERVICE_DISABLED;
    StatusRecord record;
    if (uint32_t error = currentStatus(name_, record)) return error;
    if (!isStoppedState(record.status.currentState)) return ERROR_SERVICE_ALREADY_RUNNING;
    if (definition.imagePath.empty()) return ERROR_FILE_NOT_FOUND;
    for (const std::wstring& dependency : definition.dependencies) {
      std::wstring dependencyKey;
      if (findServiceKey(dependency, dependencyKey) != 0) return ERROR_SERVICE_DEPENDENCY_DELETED;
      StatusRecord dependencyRecord;
      if (uint32_t error = currentStatus(dependencyKey, dependencyRecord)) return error;
      if (dependencyRecord.status.currentState != SERVICE_RUNNING) return ERROR_SERVICE_DEPENDENCY_FAIL;
    }
    return launchServiceHost(name_);
  }

  uint32_t enumDependentServices(uint32_t stateFilter, uint32_t bufferBytes, std::vector<DependentService>& services,
                                 uint32_t& bytesNeeded) override {
    if (!hasAccess(access_, SERVICE_ENUMERATE_DEPENDENTS)) return ERROR_ACCESS_DENIED;
    if (stateFilter < SERVICE_ACTIVE || stateFilter > SERVICE_STATE_ALL) return ERROR_INVALID_PARAMETER;
    std::vector<DependentService> found;
    uint32_t size = 0;
    for (const std::wstring& dependent : dependentsInStopOrder()) {
      StatusRecord record;
      if (uint32_t error = currentStatus(dependent, record)) return error;
      bool stopped = isStoppedState(record.status.currentState);
      if ((stopped && !(stateFilter & SERVICE_INACTIVE)) || (!stopped && !(stateFilter & SERVICE_ACTIVE))) continue;
      ServiceDefinition definition = readServiceDefinition(dependent);
      size += kDependentEntryBytes + 2 * static_cast<uint32_t>(dependent.size() + definition.displayName.size() + 2);
      found.push_back({dependent, definition.displayName, record.status});
    }
    bytesNeeded = size;
    if (size > bufferBytes) return ERROR_MORE_DATA;
    services = std::move(found);
    return 0;
  }

  uint32_t queryConfig(uint32_t bufferBytes, ServiceConfig& config, uint32_t& bytesNeeded) override {
    if (!hasAccess(access_, SERVICE_QUERY_CONFIG)) return ERROR_ACCESS_DENIED;
    ServiceDefinition definition = readServiceDefinition(name_);
    ServiceConfig result;
    result.serviceType = definition.serviceType;
    result.startType = definition.startType;
    result.errorControl = definition.errorControl;
    result.binaryPathName = definition.imagePath;
    result.displayName = definition.displayName;
    for (const std::wstring& dependency : definition.dependencies) {
      result.dependencies += dependency;
      result.dependencies += L'\0';
    }
    result.dependencies += L'\0';
    bytesNeeded =
        kServiceConfigBytes + 2 * static_cast<uint32_t>(result.binaryPathName.size() + 1 + result.dependencies.size() +
                                                        result.displayName.size() + 1);
    if (bytesNeeded > bufferBytes) return ERROR_INSUFFICIENT_BUFFER;
    config = std::move(result);
    return 0;
  }

  uint32_t remove() override {
    if (!hasAccess(access_, SERVICE_DELETE_ACCESS)) return ERROR_ACCESS_DENIED;
    if (isMarkedForDelete(name_)) return ERROR_SERVICE_MARKED_FOR_DELETE;
    StatusRecord record;
    if (uint32_t error = currentStatus(name_, record)) return error;
    if (!isStoppedState(record.status.currentState)) {
      // The host removes the key once the service has stopped.
      markServiceForDelete(name_);
      return 0;
    }
    if (uint32_t error = deleteServiceKey(name_)) return error;
    removeServiceStateDirectory(name_);
    return 0;
  }

 private:
  // Waits until the host has taken the stop request up (left the state it
  // was in) or has gone; `record` gets the status then.
  uint32_t awaitStopAcknowledged(StatusRecord& record) {
    Clock& clock = systemClock();
    const uint32_t stateBefore = record.status.currentState;
    const uint32_t start = clock.tickCount();
    for (;;) {
      if (uint32_t error = currentStatus(name_, record)) return error;
      if (record.status.currentState != stateBefore) return 0;
      if (clock.tickCount() - start >= kStopAcknowledgeMs) return ERROR_SERVICE_REQUEST_TIMEOUT;
      clock.sleep(kStopAcknowledgePollMs);
    }
  }

  // Every service depending on this one directly or through others; a service
  // comes before each service it depends on.
  std::vector<std::wstring> dependentsInStopOrder() const {
    std::map<std::wstring, std::vector<std::wstring>> dependentsOf;  // lower-case name -> dependents
    for (const std::wstring& other : serviceKeyNames()) {
      for (const std::wstring& dependency : readServiceDefinition(other).dependencies) {
        dependentsOf[lowerCase(dependency)].push_back(other);
      }
    }
    std::vector<std::wstring> order;
    std::set<std::wstring> visited{lowerCase(name_)};
    visit(name_, dependentsOf, visited, order);
    return order;
  }

  static void visit(const std::wstring& name, const std::map<std::wstring, std::vector<std::wstring>>& dependentsOf,
                    std::set<std::wstring>& visited, std::vector<std::wstring>& order) {
    auto it = dependentsOf.find(lowerCase(name));
    if (it == dependentsOf.end()) return;
    for (const std::wstring& dependent : it->second) {
      if (!visited.insert(lowerCase(dependent)).second) continue;
      visit(dependent, dependentsOf, visited, order);
      order.push_back(dependent);
    }
  }

  std::wstring name_;
  uint32_t access_;
};

class StandInManager : public ServiceManagerHandle {
 public:
  explicit StandInManager(uint32_t access) : access_(access) {}

  uint32_t openService(const std::wstring& name, uint32_t access, std::unique_ptr<ServiceHandle>& service) override {
    std::wstring keyName;
    if (uint32_t error = findServiceKey(name, keyName)) return error;
    // A service deleted while it ran whose host is gone without removing it.
    if (isMarkedForDelete(keyName) && !serviceHostPid(keyName)) {
      deleteServiceKey(keyName);
      removeServiceStateDirectory(keyName);
      return ERROR_SERVICE_DOES_NOT_EXIST;
    }
    service = std::make_unique<StandInService>(keyName, access);
    return 0;
  }

  uint32_t createService(const NewService& definition, uint32_t access,
                         std::unique_ptr<ServiceHandle>& service) override {
    if (!hasAccess(access_, SC_MANAGER_CREATE_SERVICE)) return ERROR_ACCESS_DENIED;
    if (!isValidServiceName(definition.name)) return ERROR_INVALID_NAME;
    if (definition.binaryPathName.empty()) return ERROR_INVALID_PARAMETER;
    std::wstring keyName;
    uint32_t error = findServiceKey(definition.name, keyName);
    if (error == 0) return isMarkedForDelete(keyName) ? ERROR_SERVICE_MARKED_FOR_DELETE : ERROR_SERVICE_EXISTS;
    if (error != ERROR_SERVICE_DOES_NOT_EXIST) return error;
    writeServiceDefinition(definition);
    // A directory left behind by an earlier service of this name goes.
    removeServiceStateDirectory(definition.name);
    service = std::make_unique<StandInService>(definition.name, access);
    return 0;
  }

 private:
  uint32_t access_;
};

class StandInServiceControl : public ServiceControl {
 public:
  uint32_t openManager(const wchar_t* machineName, const wchar_t* databaseName, uint32_t access,
                       std::unique_ptr<ServiceManagerHandle>& manager) override {
    // Only this machine's manager and its active database.
    if (machineName && *machineName && !equalsIgnoreCase(machineName, L".") &&
        !equalsIgnoreCase(machineName, L"localhost")) {
      return ERROR_NOT_SUPPORTED;
    }
    if (databaseName && *databaseName && !equalsIgnoreCase(databaseName, L"ServicesActive")) {
      return ERROR_INVALID_PARAMETER;
    }
    manager = std::make_unique<StandInManager>(access);
    return 0;
  }
};

}  // namespace

ServiceControl& systemServiceControl() {
  static StandInServiceControl control;
  return control;
}

}  // namespace wc
