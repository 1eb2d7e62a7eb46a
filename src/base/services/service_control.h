#pragma once
// The service control manager, reduced to the calls the service wrapper needs:
// open the manager, open/create a service, query its status and configuration,
// send it a control, start it, list its dependents, delete it. Closing is the
// destruction of a handle object. Every call answers with 0 or a Windows error
// code (1060 no such service, 1062 not active, 1056 already running, 1072
// marked for delete, 1073 exists, 5 access denied, ...).
//
// Windows: the real manager. POSIX: the stand-in of this folder, where a
// service is its key in the settings store and a running service is watched by
// its host program, hcpsvc (see service_control_posix.cpp).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace wc {

// Service states, with the platform's numbers.
constexpr uint32_t SERVICE_STOPPED = 1;
constexpr uint32_t SERVICE_START_PENDING = 2;
constexpr uint32_t SERVICE_STOP_PENDING = 3;
constexpr uint32_t SERVICE_RUNNING = 4;
constexpr uint32_t SERVICE_CONTINUE_PENDING = 5;
constexpr uint32_t SERVICE_PAUSE_PENDING = 6;
constexpr uint32_t SERVICE_PAUSED = 7;

// Control requests.
constexpr uint32_t SERVICE_CONTROL_STOP = 1;
constexpr uint32_t SERVICE_CONTROL_PAUSE = 2;
constexpr uint32_t SERVICE_CONTROL_CONTINUE = 3;
constexpr uint32_t SERVICE_CONTROL_INTERROGATE = 4;

// Controls a service accepts (SERVICE_STATUS::dwControlsAccepted).
constexpr uint32_t SERVICE_ACCEPT_STOP = 0x1;
constexpr uint32_t SERVICE_ACCEPT_PAUSE_CONTINUE = 0x2;

// State filters of the dependents enumeration.
constexpr uint32_t SERVICE_ACTIVE = 1;
constexpr uint32_t SERVICE_INACTIVE = 2;
constexpr uint32_t SERVICE_STATE_ALL = 3;

// Service types, start types and error control of a service definition.
constexpr uint32_t SERVICE_WIN32_OWN_PROCESS = 0x10;
constexpr uint32_t SERVICE_AUTO_START = 2;
constexpr uint32_t SERVICE_DEMAND_START = 3;
constexpr uint32_t SERVICE_DISABLED = 4;
constexpr uint32_t SERVICE_ERROR_NORMAL = 1;

// Access rights of the manager.
constexpr uint32_t SC_MANAGER_CONNECT = 0x0001;
constexpr uint32_t SC_MANAGER_CREATE_SERVICE = 0x0002;
constexpr uint32_t SC_MANAGER_ENUMERATE_SERVICE = 0x0004;
constexpr uint32_t SC_MANAGER_ALL_ACCESS = 0xF003F;

// Access rights of a service.
constexpr uint32_t SERVICE_QUERY_CONFIG = 0x0001;
constexpr uint32_t SERVICE_CHANGE_CONFIG = 0x0002;
constexpr uint32_t SERVICE_QUERY_STATUS = 0x0004;
constexpr uint32_t SERVICE_ENUMERATE_DEPENDENTS = 0x0008;
constexpr uint32_t SERVICE_START = 0x0010;
constexpr uint32_t SERVICE_STOP = 0x0020;
constexpr uint32_t SERVICE_PAUSE_CONTINUE = 0x0040;
constexpr uint32_t SERVICE_INTERROGATE = 0x0080;
constexpr uint32_t SERVICE_DELETE_ACCESS = 0x00010000;  // DELETE
constexpr uint32_t SERVICE_ALL_ACCESS = 0x000F01FF;

// Whether `granted` holds every right of `needed`, and the right a control
// request needs, as the Service Control Manager checks them (the POSIX
// stand-in and the tests' fake manager check the same way).
bool hasAccess(uint32_t granted, uint32_t needed);
uint32_t accessNeededForControl(uint32_t request);
// The manager's answer to a request that the state of the service keeps from
// it, or 0: nothing reaches a stopped service (1062), nothing one on its way
// down (1061), and only a stop one on its way up (1061).
uint32_t controlRefusedInState(uint32_t state, uint32_t request);

// The platform's SERVICE_STATUS.
struct ServiceStatus {
  uint32_t serviceType = 0;
  uint32_t currentState = 0;
  uint32_t controlsAccepted = 0;
  uint32_t win32ExitCode = 0;
  uint32_t serviceSpecificExitCode = 0;
  uint32_t checkPoint = 0;
  uint32_t waitHint = 0;

  bool operator==(const ServiceStatus&) const = default;
};

// One entry of the dependents enumeration (ENUM_SERVICE_STATUSW).
struct DependentService {
  std::wstring serviceName;
  std::wstring displayName;
  ServiceStatus status;
};

// The part of QUERY_SERVICE_CONFIGW the program reads.
struct ServiceConfig {
  uint32_t serviceType = 0;
  uint32_t startType = 0;
  uint32_t errorControl = 0;
  std::wstring binaryPathName;
  // Names of the services it depends on, each ended by a NUL, the list ended
  // by one more NUL (an empty list is a single NUL).
  std::wstring dependencies;
  std::wstring displayName;
};

// The buffer sizes the platform works with: an enumeration entry and the fixed
// part of a configuration record; the strings come on top (UTF-16, with NUL).
constexpr uint32_t kDependentEntryBytes = 48;
constexpr uint32_t kServiceConfigBytes = 64;

// An open service; destruction closes it.
class ServiceHandle {
 public:
  virtual ~ServiceHandle() = default;
  virtual uint32_t queryStatus(ServiceStatus& status) = 0;
  // ControlService: `status` gets the status the manager reports after the
  // request was delivered.
  virtual uint32_t control(uint32_t request, ServiceStatus& status) = 0;
  // StartServiceW without arguments.
  virtual uint32_t start() = 0;
  // EnumDependentServicesW: every service that depends on this one directly
  // or through others, a service always before the ones it depends on, in the
  // state `stateFilter`. ERROR_MORE_DATA with `bytesNeeded` set when the
  // entries do not fit in `bufferBytes`.
  virtual uint32_t enumDependentServices(uint32_t stateFilter, uint32_t bufferBytes,
                                         std::vector<DependentService>& services, uint32_t& bytesNeeded) = 0;
  // QueryServiceConfigW: ERROR_INSUFFICIENT_BUFFER with `bytesNeeded` set when
  // the record does not fit in `bufferBytes`.
  virtual uint32_t queryConfig(uint32_t bufferBytes, ServiceConfig& config, uint32_t& bytesNeeded) = 0;
  // DeleteService: a running service is marked and goes when it stops.
  virtual uint32_t remove() = 0;
};

// The definition of a new service (the arguments of CreateServiceW the
// program uses).
struct NewService {
  std::wstring name;
  std::wstring displayName;
  uint32_t serviceType = SERVICE_WIN32_OWN_PROCESS;
  uint32_t startType = SERVICE_DEMAND_START;
  uint32_t errorControl = SERVICE_ERROR_NORMAL;
  std::wstring binaryPathName;
  std::vector<std::wstring> dependencies;
};

// An open service control manager; destruction closes it.
class ServiceManagerHandle {
 public:
  virtual ~ServiceManagerHandle() = default;
  virtual uint32_t openService(const std::wstring& name, uint32_t access, std::unique_ptr<ServiceHandle>& service) = 0;
  virtual uint32_t createService(const NewService& definition, uint32_t access,
                                 std::unique_ptr<ServiceHandle>& service) = 0;
};

class ServiceControl {
 public:
  virtual ~ServiceControl() = default;
  // OpenSCManagerW; null or empty names mean the local machine and the active
  // database.
  virtual uint32_t openManager(const wchar_t* machineName, const wchar_t* databaseName, uint32_t access,
                               std::unique_ptr<ServiceManagerHandle>& manager) = 0;
};

// The system's service control manager; on POSIX the stand-in
// (service_control_<platform>.cpp).
ServiceControl& systemServiceControl();

}  // namespace wc
