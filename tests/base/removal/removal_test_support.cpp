#include "removal_test_support.h"

#include <fstream>
#include <sstream>

#include "base/removal/removal_storage_file.h"
#include "base/text/unicode.h"

namespace removal_test {

std::string n(const std::wstring& text) { return wideToUtf8Lenient(text); }

RemovalMachine::RemovalMachine(const std::string& extraSettings) { writeSettings(extraSettings); }

void RemovalMachine::writeSettings(const std::string& extraSettings) const {
  sandbox.writeRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config]\n\"PRODUCT_ROOT_D\"=\"" +
                        productRoot() + "\"\n\"PRODUCT_DATA_D\"=\"" + sandbox.path("var/halvo") + "\"\n" +
                        extraSettings);
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

std::vector<std::string> triggerLines(const std::string& cronFile) {
  std::vector<std::string> found;
  if (!testing_support::pathExists(cronFile)) return found;
  std::istringstream in(testing_support::readFile(cronFile));
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("# Trigger:", 0) == 0) found.push_back(line);
  }
  return found;
}

ManagementService::ManagementService(const RemovalMachine& machine) : process("hcpsrv", {}) {
  ready = testing_support::waitForPath(machine.path("run/halvo/pipes/hcppipe"), 10000);
}

}  // namespace removal_test
