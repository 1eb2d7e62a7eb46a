#include "base/errors/os_error.h"
#include "base/errors/win_error_codes.h"
#include "base/log/event_source.h"
#include "base/log/log_files.h"
#include "base/registry/registry.h"
#include "base/system/named_mutex.h"
#include "base/system/process.h"

namespace wc {

namespace {
// Machine-wide (Global\), as the run lock: registrations from a person's
// session and from a service take turns.
const wchar_t* const kRegistrationMutex = L"Global\\{F485C63C-FF60-4c1a-A4BF-A3958C9F3D32}";
const wchar_t* const kEventLogKey = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Halvo";
const wchar_t* const kApplicationLogKey = L"System\\CurrentControlSet\\Services\\EventLog\\Application\\";
const wchar_t* const kSourcesKey = L"System\\CurrentControlSet\\Services\\EventLog\\Halvo\\";
constexpr uint32_t kMaxLogSize = 0x800000;
constexpr uint32_t kAllEventTypes = 7;  // error, warning, information

// `fileName` in the directory of the running program file.
std::wstring besideProgram(const std::wstring& fileName) {
  const std::wstring program = programPath();
  return program.substr(0, program.size() - halvo::logging::fileNamePart(program).size()) + fileName;
}

}  // namespace

EventSource registerEventSource(const Context& context, const std::wstring& source, uint32_t& error) {
  using registry::Root;
  NamedMutexLock lock(kRegistrationMutex, "registerEventSource");

  if (!registry::keyExists(context, Root::LocalMachine, kEventLogKey, 0)) {
    registry::RegistryKey log = registry::create(context, Root::LocalMachine, kEventLogKey, registry::KEY_ALL_ACCESS);
    log.set(L"MaxSize", kMaxLogSize);
    log.set(L"Retention", uint32_t{0});
  }

  // A source of the same name in the Application log would take our events.
  std::wstring name = source;
  if (registry::keyExists(context, Root::LocalMachine, kApplicationLogKey + source, 0)) name = L"Halvo:  " + source;

  // The management service's program file carries the message table; the
  // panel installs it beside this program when the settings do not say.
  std::wstring messageFile;
  const uint32_t lookup = registry::lookupString(context, Root::LocalMachine, registry::kConfigKey, L"HalvoService",
                                                 messageFile, registry::REG_SZ, registry::kView32);
  if (lookup == ERROR_FILE_NOT_FOUND)
    messageFile = besideProgram(halvo::logging::managementServiceFileName());
  else if (lookup != 0)
    throwOsError(L"Unable to read HalvoService of " + registry::kConfigKey, lookup,
                 VCALLPOINT(L"", "registerEventSource"));

  registry::RegistryKey key = registry::create(context, Root::LocalMachine, kSourcesKey + name, registry::KEY_WRITE);
  key.set(L"TypesSupported", kAllEventTypes);
  key.set(L"EventMessageFile", messageFile);

  EventSource eventSource;
  error = eventSource.open(context, name);
  return eventSource;
}

}  // namespace wc
