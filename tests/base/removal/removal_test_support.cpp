#include "removal_test_support.h"

namespace wc {

namespace removal_test {

RemovalMachine::RemovalMachine() {
  writeSettings("");
  deleteRemovalTask();
}

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

void RemovalMachine::writeStorageText(const std::string& text) const {
  testing_support::makeDirectories(productRoot() + "/etc");
  testing_support::writeFile(storageFile(), text);
}

}  // namespace removal_test

}  // namespace wc
