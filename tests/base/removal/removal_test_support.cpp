#include "removal_test_support.h"

#include <algorithm>

#include "base/removal/removal_storage_file.h"
#include "base/removal/removal_task.h"
#include "base/removal/work_item_store.h"
#include "base/text/unicode.h"

namespace removal_test {

std::string n(const std::wstring& text) { return wideToUtf8Lenient(text); }

std::wstring slashed(std::wstring path) {
  std::replace(path.begin(), path.end(), L'\\', L'/');
  return path;
}

RemovalMachine::RemovalMachine(const std::string& extraSettings) {
  writeSettings(extraSettings);
  deleteRemovalTask();
}

RemovalMachine::~RemovalMachine() { deleteRemovalTask(); }

void RemovalMachine::writeSettings(const std::string& extraSettings) const {
  sandbox.writeRegistry(testing_support::kConfigSection + "\"PRODUCT_ROOT_D\"=\"" + productRoot() +
                        "\"\n\"PRODUCT_DATA_D\"=\"" + sandbox.path("var/halvo") + "\"\n" + extraSettings);
}

std::string RemovalMachine::makeFile(const std::string& relative, const std::string& content) const {
  std::string full = sandbox.path(relative);
  testing_support::makeDirectories(full.substr(0, full.rfind('/')));
  testing_support::writeFile(full, content);
  return full;
}

std::vector<RemovalEntry> RemovalMachine::entries() const { return readRemovalEntries(w(storageFile())); }

void RemovalMachine::writeEntries(const std::vector<RemovalEntry>& entries) const {
  writeRemovalEntries(w(storageFile()), entries);
}

void RemovalMachine::writeStorageText(const std::string& text) const {
  testing_support::makeDirectories(productRoot() + "/etc");
  testing_support::writeFile(storageFile(), text);
}

std::optional<WorkItem> removalTask() { return loadWorkItem(kRemovalTaskName); }

size_t taskTriggers() {
  std::optional<WorkItem> item = removalTask();
  return item ? item->triggers.size() : 0;
}

}  // namespace removal_test
