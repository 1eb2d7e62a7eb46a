#pragma once
// The machine's services that tests replace with fakes: the file system, the
// settings store, service control, the clock and the local accounts. A
// program's entry point takes the real ones (systemContext(),
// base/removal/system_context.h) and hands them down, as an Env is handed
// down in options; a test builds one with its fakes. Nothing here is global.

namespace wc {

class Clock;
class FileSystem;
class LocalUsers;
class ServiceControl;
namespace registry {
class SettingsStore;
}

struct Context {
  FileSystem* files = nullptr;
  registry::SettingsStore* settings = nullptr;
  ServiceControl* services = nullptr;
  Clock* clock = nullptr;
  LocalUsers* localUsers = nullptr;
};

}  // namespace wc
