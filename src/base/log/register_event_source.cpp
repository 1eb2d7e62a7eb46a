#include "base/log/event_source.h"
#include "base/registry/registry.h"
#include "base/system/named_mutex.h"

namespace {
// Machine-wide (Global\), as the run lock: registrations from a person's
// session and from a service take turns.
const wchar_t* const kRegistrationMutex = L"Global\\{F485C63C-FF60-4c1a-A4BF-A3958C9F3D32}";
const wchar_t* const kEventLogKey = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Halvo";
const wchar_t* const kApplicationLogKey = L"System\\CurrentControlSet\\Services\\EventLog\\Application\\";
const wchar_t* const kSourcesKey = L"System\\CurrentControlSet\\Services\\EventLog\\Halvo\\";
constexpr uint32_t kMaxLogSize = 0x800000;
constexpr uint32_t kAllEventTypes = 7;  // error, warning, information
}  // namespace

EventSource registerEventSource(const std::wstring& source, uint32_t& error) {
  using registry::Root;
  NamedMutexLock lock(kRegistrationMutex, "registerEventSource");

  if (!registry::keyExists(Root::LocalMachine, kEventLogKey, 0)) {
    registry::RegistryKey log = registry::create(Root::LocalMachine, kEventLogKey, registry::KEY_ALL_ACCESS);
    log.set(L"MaxSize", kMaxLogSize);
    log.set(L"Retention", uint32_t{0});
  }

  // A source of the same name in the Application log would take our events.
  std::wstring name = source;
  if (registry::keyExists(Root::LocalMachine, kApplicationLogKey + source, 0)) name = L"Halvo:  " + source;

  // The management service's program file carries the message table.
  std::wstring messageFile;
  bool haveMessageFile = registry::lookupString(Root::LocalMachine, registry::kConfigKey, L"HalvoService", messageFile,
                                                registry::REG_SZ, registry::kView32) == 0;

  registry::RegistryKey key = registry::create(Root::LocalMachine, kSourcesKey + name, registry::KEY_WRITE);
  key.set(L"TypesSupported", kAllEventTypes);
  if (haveMessageFile) key.set(L"EventMessageFile", messageFile);

  EventSource eventSource;
  error = eventSource.open(name);
  return eventSource;
}
