#pragma once
// Helpers of the removal tests: a private machine with the panel's product
// root, its storage and its scheduled task.

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/removal/removal_entry.h"
#include "base/removal/removal_storage_file.h"
#include "base/removal/removal_task.h"
#include "base/removal/work_item_store.h"
#include "support/failures.h"
#include "support/sandbox.h"
#include "support/service_fakes.h"

namespace wc {

namespace removal_test {

using testing_support::holds;
using testing_support::w;
// The full text of the vexception `f` throws.
inline std::wstring failureOf(const std::function<void()>& f) { return testing_support::failureTextOf(f); }
// A path as the product wrote it, with '/' for the platform's separator.
inline std::wstring slashed(std::wstring path) {
  std::replace(path.begin(), path.end(), L'\\', L'/');
  return path;
}

using fake::CapturedLog;
using fake::FixedClock;
using testing_support::context;
using testing_support::testContext;

// Deletes the removal's work item (on POSIX the sandbox holds it).
void deleteRemovalTask();

// A sandbox machine whose settings name a product root inside it. The
// removal's work item is the machine's: none when it starts, none left when
// it ends.
class RemovalMachine {
 public:
  RemovalMachine();
  ~RemovalMachine() { deleteRemovalTask(); }
  // `extraSettings` are further lines of the configuration key.
  void writeSettings(const std::string& extraSettings) const;

  std::string path(const std::string& relative) const { return sandbox.path(relative); }
  std::string productRoot() const { return sandbox.path("opt/halvo"); }
  std::string storageFile() const { return productRoot() + "/etc/DeferredRemovalStorage.xml"; }
  // A file with content under the sandbox (directories made as needed).
  std::string makeFile(const std::string& relative, const std::string& content = "x") const;

  // The storage file as the code reads it.
  std::vector<RemovalEntry> entries() const { return readRemovalEntries(context, w(storageFile())); }
  void writeEntries(const std::vector<RemovalEntry>& entries) const {
    writeRemovalEntries(context, w(storageFile()), entries);
  }
  // Puts any text in the storage file's place.
  void writeStorageText(const std::string& text) const;

  testing_support::Sandbox sandbox;
};

// The removal's saved work item, and the number of its triggers (0 without one).
inline std::optional<WorkItem> removalTask() { return loadWorkItem(kRemovalTaskName); }
inline size_t taskTriggers() { return removalTask() ? removalTask()->triggers.size() : 0; }

}  // namespace removal_test

}  // namespace wc
