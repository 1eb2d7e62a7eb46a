#include "removal_test_support.h"

#include <fstream>
#include <sstream>

#include "base/errors/win_error_codes.h"
#include "base/removal/removal_storage_file.h"
#include "base/text/unicode.h"

namespace removal_test {

std::string n(const std::wstring& text) { return wideToUtf8Lenient(text); }

bool contains(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

// ---------------------------------------------------------------- services

namespace {

class FakeServiceHandle : public ServiceHandle {
 public:
  FakeServiceHandle(FakeServices& owner, std::wstring name) : owner_(owner), name_(std::move(name)) {}
  uint32_t queryStatus(ServiceStatus& status) override {
    status = ServiceStatus{SERVICE_WIN32_OWN_PROCESS, owner_.states.at(name_), SERVICE_ACCEPT_STOP, 0, 0, 0, 0};
    return 0;
  }
  uint32_t control(uint32_t request, ServiceStatus& status) override {
    if (request == SERVICE_CONTROL_STOP) {
      owner_.calls.push_back(L"stop " + name_);
      if (owner_.states.at(name_) == SERVICE_STOPPED) return ERROR_SERVICE_NOT_ACTIVE;
      owner_.states[name_] = SERVICE_STOPPED;
      if (owner_.onStop) owner_.onStop();
    }
    return queryStatus(status);
  }
  uint32_t start() override {
    owner_.calls.push_back(L"start " + name_);
    if (auto it = owner_.startErrors.find(name_); it != owner_.startErrors.end() && it->second) return it->second;
    if (owner_.states.at(name_) != SERVICE_STOPPED) return ERROR_SERVICE_ALREADY_RUNNING;
    owner_.states[name_] = SERVICE_RUNNING;
    return 0;
  }
  uint32_t enumDependentServices(uint32_t, uint32_t, std::vector<DependentService>&, uint32_t&) override { return 0; }
  uint32_t queryConfig(uint32_t, ServiceConfig& config, uint32_t&) override {
    config = ServiceConfig{};
    config.dependencies = std::wstring(1, L'\0');
    return 0;
  }
  uint32_t remove() override { return ERROR_ACCESS_DENIED; }

 private:
  FakeServices& owner_;
  std::wstring name_;
};

class FakeManagerHandle : public ServiceManagerHandle {
 public:
  explicit FakeManagerHandle(FakeServices& owner) : owner_(owner) {}
  uint32_t openService(const std::wstring& name, uint32_t, std::unique_ptr<ServiceHandle>& service) override {
    owner_.opened.push_back(name);
    if (!owner_.states.count(name)) return ERROR_SERVICE_DOES_NOT_EXIST;
    service = std::make_unique<FakeServiceHandle>(owner_, name);
    return 0;
  }
  uint32_t createService(const NewService&, uint32_t, std::unique_ptr<ServiceHandle>&) override {
    return ERROR_ACCESS_DENIED;
  }

 private:
  FakeServices& owner_;
};

}  // namespace

FakeServices::FakeServices() { ServiceControl::setCurrentForTesting(this); }
FakeServices::~FakeServices() { ServiceControl::setCurrentForTesting(nullptr); }

uint32_t FakeServices::openManager(const wchar_t*, const wchar_t*, uint32_t,
                                   std::unique_ptr<ServiceManagerHandle>& manager) {
  manager = std::make_unique<FakeManagerHandle>(*this);
  return 0;
}

// ---------------------------------------------------------------- files

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
