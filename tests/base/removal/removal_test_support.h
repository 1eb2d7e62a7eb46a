#pragma once
// Helpers of the removal tests: a private machine with the panel's product
// root, its storage and scheduled task, and hcpsrv in the background.

#include <functional>
#include <string>
#include <vector>

#include "base/removal/removal_entry.h"
#include "support/background_program.h"
#include "support/failures.h"
#include "support/sandbox.h"
#include "support/service_fakes.h"

namespace removal_test {

using testing_support::holds;
using testing_support::w;
std::string n(const std::wstring& text);
// The full text of the vexception `f` throws.
inline std::wstring failureOf(const std::function<void()>& f) { return testing_support::failureTextOf(f); }

using fake::CapturedLog;
using fake::FixedClock;

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
