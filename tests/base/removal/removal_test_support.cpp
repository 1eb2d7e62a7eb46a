#include "removal_test_support.h"

#include <fstream>
#include <sstream>

#include "base/errors/win_error_codes.h"
#include "base/removal/removal_storage_file.h"
#include "base/text/unicode.h"

namespace removal_test {

std::wstring w(const std::string& text) { return utf8ToWideLenient(text); }
std::string n(const std::wstring& text) { return wideToUtf8Lenient(text); }

std::wstring failureOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const vexception& e) {
    return e.fullText();
  }
  return L"no failure";
}

bool contains(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

bool LogCapture::has(LogLevel level, const std::wstring& text) const {
  for (const Line& line : lines) {
    if (line.level == level && line.text == text) return true;
  }
  return false;
}

int LogCapture::count(LogLevel level, const std::wstring& part) const {
  int found = 0;
  for (const Line& line : lines) {
    if (line.level == level && line.text.find(part) != std::wstring::npos) ++found;
  }
  return found;
}

std::wstring LogCapture::all() const {
  std::wstring text;
  for (const Line& line : lines) text += std::to_wstring(line.level) + L": " + line.text + L"\n";
  return text;
}

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

FaultyFiles::FaultyFiles() : real_(FileSystem::Default()) { FileSystem::setCurrentForTesting(this); }
FaultyFiles::~FaultyFiles() { FileSystem::setCurrentForTesting(nullptr); }

void FaultyFiles::failWhen(FsCall call, const std::wstring& pathPart, uint32_t code, int times) {
  faults_.push_back({call, pathPart, code, times});
}

int FaultyFiles::calls(FsCall call, const std::wstring& pathPart) const {
  int found = 0;
  for (const auto& [kind, path] : calls_) {
    if (kind == call && path.find(pathPart) != std::wstring::npos) ++found;
  }
  return found;
}

uint32_t FaultyFiles::fault(FsCall call, const std::wstring& path) {
  calls_.emplace_back(call, path);
  for (Fault& f : faults_) {
    if (f.call != call || f.times == 0 || path.find(f.pathPart) == std::wstring::npos) continue;
    if (f.times > 0) --f.times;
    return f.code;
  }
  return 0;
}

uint32_t FaultyFiles::getAttributes(const std::wstring& path, FileAttributes& attributes) {
  return real_.getAttributes(path, attributes);
}
uint32_t FaultyFiles::setReadOnly(const std::wstring& path, bool readOnly) { return real_.setReadOnly(path, readOnly); }
uint32_t FaultyFiles::grantDeleteAccess(const std::wstring& path) { return real_.grantDeleteAccess(path); }
uint32_t FaultyFiles::deleteFile(const std::wstring& path) {
  if (uint32_t code = fault(FsCall::DeleteFile, path)) return code;
  return real_.deleteFile(path);
}
uint32_t FaultyFiles::removeDirectory(const std::wstring& path) {
  if (uint32_t code = fault(FsCall::RemoveDirectory, path)) return code;
  return real_.removeDirectory(path);
}
uint32_t FaultyFiles::moveFile(const std::wstring& from, const std::wstring& to, uint32_t flags) {
  if (uint32_t code = fault(FsCall::MoveFile, to)) return code;
  return real_.moveFile(from, to, flags);
}
uint32_t FaultyFiles::createDirectory(const std::wstring& path, const DirectoryAccess* access) {
  return real_.createDirectory(path, access);
}
uint32_t FaultyFiles::createHardLink(const std::wstring& newPath, const std::wstring& existing) {
  return real_.createHardLink(newPath, existing);
}
uint32_t FaultyFiles::copyFile(const std::wstring& from, const std::wstring& to, bool failIfExists) {
  return real_.copyFile(from, to, failIfExists);
}
uint32_t FaultyFiles::copySecurity(const std::wstring& from, const std::wstring& to) {
  return real_.copySecurity(from, to);
}
uint32_t FaultyFiles::setPermissions(const std::wstring& path, const FilePermissions& permissions) {
  return real_.setPermissions(path, permissions);
}
uint32_t FaultyFiles::listDirectory(const std::wstring& path, std::vector<DirectoryEntry>& entries) {
  return real_.listDirectory(path, entries);
}
uint32_t FaultyFiles::readFile(const std::wstring& path, std::string& content) { return real_.readFile(path, content); }
uint32_t FaultyFiles::writeFile(const std::wstring& path, std::string_view content, FileDisposition disposition,
                                bool durable) {
  if (uint32_t code = fault(FsCall::WriteFile, path)) return code;
  return real_.writeFile(path, content, disposition, durable);
}
uint32_t FaultyFiles::volumeRoot(const std::wstring& path, std::wstring& root) { return real_.volumeRoot(path, root); }

// ---------------------------------------------------------------- machine

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
