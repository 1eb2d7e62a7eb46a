#pragma once
// Services as the settings store defines them on POSIX: one key
// HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\<Name> per service.
// Service names compare ignoring letter case, as key names do; the key's own
// spelling is the service's name everywhere else (its state directory).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/services/service_control.h"

namespace wc {

inline const std::wstring kServicesKey = L"SYSTEM\\CurrentControlSet\\Services";

// Defaults of the optional values.
constexpr uint32_t kDefaultWaitHintMs = 30000;
constexpr uint32_t kDefaultStopTimeoutMs = 60000;

struct ServiceDefinition {
  std::wstring name;  // the key's spelling
  std::wstring displayName;
  uint32_t serviceType = SERVICE_WIN32_OWN_PROCESS;
  uint32_t startType = SERVICE_DEMAND_START;
  uint32_t errorControl = SERVICE_ERROR_NORMAL;
  std::wstring imagePath;                        // environment references expanded
  std::vector<std::wstring> dependencies;        // DependOnService
  std::vector<std::wstring> environment;         // NAME=value pairs
  std::optional<uint32_t> readyPort;             // start pending until it accepts
  uint32_t waitHint = kDefaultWaitHintMs;        // reported while pending
  uint32_t stopTimeout = kDefaultStopTimeoutMs;  // SIGTERM, then SIGKILL
  bool deletePending = false;                    // deleted while running
};

std::wstring serviceKeyPath(const std::wstring& keyName);

// A name the manager accepts: not empty, at most 256 characters, no '/' or '\'.
bool isValidServiceName(const std::wstring& name);

// 0 with the key's spelling of `name`; ERROR_INVALID_NAME for a name that
// cannot be a service's, ERROR_SERVICE_DOES_NOT_EXIST when there is no key,
// or the store's own error code.
uint32_t findServiceKey(const std::wstring& name, std::wstring& keyName);

// The names of every service key, in store order.
std::vector<std::wstring> serviceKeyNames();

// Reads the key. Values of the wrong type throw the store's exception; a
// ReadyPort outside 1..65535 or an Environment entry without '=' throws a
// vexception naming the service and the value.
ServiceDefinition readServiceDefinition(const std::wstring& keyName);

// Writes the key of a new service (ImagePath as REG_EXPAND_SZ).
void writeServiceDefinition(const NewService& definition);

// Whether the service was deleted while it ran (only that value is read).
bool isMarkedForDelete(const std::wstring& keyName);

// Marks a running service for deletion; its host removes the key when the
// service stops.
void markServiceForDelete(const std::wstring& keyName);
uint32_t deleteServiceKey(const std::wstring& keyName);

}  // namespace wc
