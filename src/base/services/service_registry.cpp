#include "base/services/service_registry.h"

#include <optional>

#include "base/errors/os_error.h"
#include "base/log/log_manager.h"
#include "base/registry/registry.h"
#include "base/text/strings.h"
#include "base/text/vaformat.h"

namespace wc {

namespace {

constexpr wchar_t kDeletePendingValue[] = L"DeletePending";

// Opens a key for reading: 0 with the key, or the store's error code.
uint32_t openForReading(const std::wstring& subKey, std::optional<registry::RegistryKey>& key) {
  registry::RegistryKey opened;
  uint32_t error =
      registry::tryOpen(processMachine(), registry::Root::LocalMachine, subKey, registry::KEY_READ, opened);
  if (error == 0) key.emplace(std::move(opened));
  return error;
}

// A missing optional value keeps the default; a value of the wrong type throws.
void lookupOptional(const registry::RegistryKey& key, const wchar_t* name, uint32_t& out) {
  uint32_t value = 0;
  if (key.lookup(name, value) == 0) out = value;
}

}  // namespace

std::wstring serviceKeyPath(const std::wstring& keyName) { return kServicesKey + L"\\" + keyName; }

bool isValidServiceName(const std::wstring& name) {
  return !name.empty() && name.size() <= 256 && name.find_first_of(L"/\\") == std::wstring::npos &&
         name.find(L'\0') == std::wstring::npos && name != L"." && name != L"..";
}

uint32_t findServiceKey(const std::wstring& name, std::wstring& keyName) {
  if (!isValidServiceName(name)) return ERROR_INVALID_NAME;
  std::optional<registry::RegistryKey> services;
  uint32_t error = openForReading(kServicesKey, services);
  if (error == ERROR_FILE_NOT_FOUND) return ERROR_SERVICE_DOES_NOT_EXIST;
  if (error) return error;
  for (const std::wstring& candidate : services->subKeyNames()) {
    if (equalsIgnoreCase(candidate, name)) {
      keyName = candidate;
      return 0;
    }
  }
  return ERROR_SERVICE_DOES_NOT_EXIST;
}

std::vector<std::wstring> serviceKeyNames() {
  std::optional<registry::RegistryKey> services;
  if (openForReading(kServicesKey, services) != 0) return {};
  return services->subKeyNames();
}

ServiceDefinition readServiceDefinition(const std::wstring& keyName) {
  registry::RegistryKey key =
      registry::open(processMachine(), registry::Root::LocalMachine, serviceKeyPath(keyName), registry::KEY_READ);
  ServiceDefinition definition;
  definition.name = keyName;
  if (key.lookup(L"DisplayName", definition.displayName) != 0) definition.displayName = keyName;
  lookupOptional(key, L"Type", definition.serviceType);
  lookupOptional(key, L"Start", definition.startType);
  lookupOptional(key, L"ErrorControl", definition.errorControl);
  key.lookup(L"ImagePath", definition.imagePath);
  key.lookupMulti(L"DependOnService", definition.dependencies);
  key.lookupMulti(L"Environment", definition.environment);
  uint32_t port = 0;
  if (key.lookup(L"ReadyPort", port) == 0) {
    if (port == 0 || port > 65535) {
      throw vexception(vaformat(L"Service '%s': ReadyPort %u is not a TCP port (1 to 65535)", keyName, port),
                       VCALLPOINT(L"", "readServiceDefinition"));
    }
    definition.readyPort = port;
  }
  lookupOptional(key, L"WaitHint", definition.waitHint);
  lookupOptional(key, L"StopTimeout", definition.stopTimeout);
  for (const std::wstring& pair : definition.environment) {
    if (pair.find(L'=') == std::wstring::npos || pair.front() == L'=') {
      throw vexception(vaformat(L"Service '%s': Environment entry '%s' is not of the form NAME=value", keyName, pair),
                       VCALLPOINT(L"", "readServiceDefinition"));
    }
  }
  uint32_t deletePending = 0;
  lookupOptional(key, kDeletePendingValue, deletePending);
  definition.deletePending = deletePending != 0;
  return definition;
}

void writeServiceDefinition(const NewService& definition) {
  registry::RegistryKey key = registry::create(processMachine(), registry::Root::LocalMachine,
                                               serviceKeyPath(definition.name), registry::KEY_ALL_ACCESS);
  key.set(L"Type", definition.serviceType);
  key.set(L"Start", definition.startType);
  key.set(L"ErrorControl", definition.errorControl);
  key.setExpand(L"ImagePath", definition.binaryPathName);
  key.set(L"DisplayName", definition.displayName.empty() ? definition.name : definition.displayName);
  if (!definition.dependencies.empty()) key.setMulti(L"DependOnService", definition.dependencies);
}

bool isMarkedForDelete(const std::wstring& keyName) {
  std::optional<registry::RegistryKey> key;
  if (openForReading(serviceKeyPath(keyName), key) != 0) return false;
  uint32_t deletePending = 0;
  lookupOptional(*key, kDeletePendingValue, deletePending);
  return deletePending != 0;
}

void markServiceForDelete(const std::wstring& keyName) {
  registry::RegistryKey key =
      registry::open(processMachine(), registry::Root::LocalMachine, serviceKeyPath(keyName), registry::KEY_SET_VALUE);
  key.set(kDeletePendingValue, uint32_t{1});
}

uint32_t deleteServiceKey(const std::wstring& keyName) {
  return registry::deleteKey(processMachine(), registry::Root::LocalMachine, serviceKeyPath(keyName));
}

}  // namespace wc
