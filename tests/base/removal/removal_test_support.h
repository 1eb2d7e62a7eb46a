#pragma once
// Doubles and helpers of the removal tests: a private machine with the
// panel's product root, a clock fixed at a known time, a service manager
// whose services obey at once, a file system that fails the calls it is told
// to, a log sink that keeps every line, and hcpsrv in the background.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/files/file_system.h"
#include "base/log/log_manager.h"
#include "base/removal/removal_entry.h"
#include "base/services/service_control.h"
#include "base/system/clock.h"
#include "support/background_program.h"
#include "support/failures.h"
#include "support/faulty_file_system.h"
#include "support/sandbox.h"
#include "support/service_fakes.h"

namespace removal_test {

using testing_support::w;
std::string n(const std::wstring& text);
// The full text of the vexception `f` throws.
inline std::wstring failureOf(const std::function<void()>& f) { return testing_support::failureTextOf(f); }
bool contains(const std::wstring& text, const std::wstring& part);

using fake::CapturedLog;
using fake::FixedClock;
using fake::LogCapture;

// Services that reach the requested state at once; installed as the
// current service control for its lifetime. Calls are noted as
// "start <name>" and "stop <name>".
class FakeServices : public ServiceControl {
 public:
  FakeServices();
  ~FakeServices() override;
  void add(const std::wstring& name, uint32_t state) { states[name] = state; }
  uint32_t openManager(const wchar_t* machineName, const wchar_t* databaseName, uint32_t access,
                       std::unique_ptr<ServiceManagerHandle>& manager) override;
  std::map<std::wstring, uint32_t> states;
  std::vector<std::wstring> calls;
  // Every service opened, for any request.
  std::vector<std::wstring> opened;
  // A start request of this service fails with the code (0: none).
  std::map<std::wstring, uint32_t> startErrors;
  // Runs when a running service is stopped (another process at work then).
  std::function<void()> onStop;
};

// A sandbox machine whose settings name a product root inside it.
class RemovalMachine {
 public:
  // `extraSettings` are further lines of the configuration key.
  explicit RemovalMachine(const std::string& extraSettings = "");
  void writeSettings(const std::string& extraSettings) const;

  std::string path(const std::string& relative) const { return sandbox.path(relative); }
  std::string productRoot() const { return sandbox.path("opt/halvo"); }
  std::string storageFile() const { return productRoot() + "/etc/DeferredRemovalStorage.xml"; }
  std::string cronFile() const { return sandbox.path("etc/cron.d/Deferred-removal-of-files-by-Halvo"); }
  // A file with content under the sandbox (directories made as needed).
  std::string makeFile(const std::string& relative, const std::string& content = "x") const;

  // The storage file as the code reads it.
  std::vector<RemovalEntry> entries() const;
  void writeEntries(const std::vector<RemovalEntry>& entries) const;
  // Puts any text in the storage file's place.
  void writeStorageText(const std::string& text) const;

  testing_support::Sandbox sandbox;
};

// The trigger comment lines of the cron file ("# Trigger: ..."), in order;
// none when the file is missing.
std::vector<std::string> triggerLines(const std::string& cronFile);

// hcpsrv serving the sandbox's pipe; `ready` once its socket is there.
struct ManagementService {
  explicit ManagementService(const RemovalMachine& machine);
  testing_support::BackgroundProgram process;
  bool ready = false;
};

}  // namespace removal_test
