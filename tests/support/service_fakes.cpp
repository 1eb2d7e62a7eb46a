#include "support/service_fakes.h"

#include "base/errors/win_error_codes.h"
#include "base/files/file_system.h"
#include "base/registry/settings_store.h"
#include "base/removal/local_user.h"
#include "base/text/vaformat.h"

namespace wc {

namespace fake {

namespace {

class Handle : public ServiceHandle {
 public:
  Handle(ServiceManager& manager, std::wstring name, uint32_t access)
      : manager_(manager), name_(std::move(name)), access_(access) {
    ++manager_.openHandles;
  }
  ~Handle() override { --manager_.openHandles; }

  uint32_t queryStatus(ServiceStatus& status) override {
    if (!hasAccess(access_, SERVICE_QUERY_STATUS)) return ERROR_ACCESS_DENIED;
    Service& s = service();
    ++s.queries;
    if (s.failQueriesFrom && s.queries >= s.failQueriesFrom) return s.queryError;
    if (s.onQuery) s.onQuery(s, manager_.clock.tickCount());
    status = s.status;
    return 0;
  }

  uint32_t control(uint32_t request, ServiceStatus& status) override {
    if (!hasAccess(access_, accessNeededForControl(request))) return ERROR_ACCESS_DENIED;
    manager_.calls.push_back(vaformat(L"control %s %u", name_, request));
    Service& s = service();
    if (s.controlError) return s.controlError;
    if (uint32_t refused = controlRefusedInState(s.status.currentState, request)) {
      status = s.status;
      return refused;
    }
    if (s.onControl) {
      s.onControl(s, request);
    } else if (request == SERVICE_CONTROL_STOP) {
      s.status.currentState = SERVICE_STOPPED;
    } else if (request == SERVICE_CONTROL_CONTINUE) {
      s.status.currentState = SERVICE_RUNNING;
    } else if (request == SERVICE_CONTROL_PAUSE) {
      s.status.currentState = SERVICE_PAUSED;
    }
    status = s.status;
    return 0;
  }

  uint32_t start() override {
    if (!hasAccess(access_, SERVICE_START)) return ERROR_ACCESS_DENIED;
    manager_.calls.push_back(L"start " + name_);
    Service& s = service();
    if (s.startError) return s.startError;
    if (s.status.currentState != SERVICE_STOPPED) return ERROR_SERVICE_ALREADY_RUNNING;
    if (s.onStart) {
      s.onStart(s);
    } else {
      s.status.currentState = SERVICE_RUNNING;
    }
    return 0;
  }

  // Any buffer holds every entry here: answers to a short buffer are the
  // real managers' business, and tested with them.
  uint32_t enumDependentServices(uint32_t stateFilter, uint32_t, std::vector<DependentService>& out,
                                 uint32_t&) override {
    if (!hasAccess(access_, SERVICE_ENUMERATE_DEPENDENTS)) return ERROR_ACCESS_DENIED;
    Service& s = service();
    if (s.enumError) return s.enumError;
    out.clear();
    for (const std::wstring& dependent : s.dependents) {
      const ServiceStatus& status = manager_.services().at(dependent).status;
      if (stateFilter & (status.currentState == SERVICE_STOPPED ? SERVICE_INACTIVE : SERVICE_ACTIVE)) {
        out.push_back({dependent, dependent, status});
      }
    }
    return 0;
  }

  uint32_t queryConfig(uint32_t, ServiceConfig& config, uint32_t&) override {
    if (!hasAccess(access_, SERVICE_QUERY_CONFIG)) return ERROR_ACCESS_DENIED;
    Service& s = service();
    if (s.configError) return s.configError;
    config.dependencies.clear();
    for (const std::wstring& dependency : s.dependencies) config.dependencies += dependency + L'\0';
    config.dependencies += L'\0';
    return 0;
  }

  uint32_t remove() override {
    return hasAccess(access_, SERVICE_DELETE_ACCESS) ? ERROR_CALL_NOT_IMPLEMENTED : ERROR_ACCESS_DENIED;
  }

 private:
  Service& service() { return manager_.services().at(name_); }

  ServiceManager& manager_;
  std::wstring name_;
  uint32_t access_;
};

class Manager : public ServiceManagerHandle {
 public:
  explicit Manager(ServiceManager& manager) : manager_(manager) { ++manager_.openHandles; }
  ~Manager() override { --manager_.openHandles; }

  uint32_t openService(const std::wstring& name, uint32_t access, std::unique_ptr<ServiceHandle>& service) override {
    manager_.calls.push_back(vaformat(L"open %s 0x%x", name, access));
    auto it = manager_.services().find(name);
    if (it == manager_.services().end()) return ERROR_SERVICE_DOES_NOT_EXIST;
    if (it->second.openError) return it->second.openError;
    service = std::make_unique<Handle>(manager_, name, access);
    return 0;
  }

  uint32_t createService(const NewService&, uint32_t, std::unique_ptr<ServiceHandle>&) override {
    return ERROR_CALL_NOT_IMPLEMENTED;
  }

 private:
  ServiceManager& manager_;
};

}  // namespace

uint32_t ServiceManager::openManager(const wchar_t*, const wchar_t*, uint32_t access,
                                     std::unique_ptr<ServiceManagerHandle>& manager) {
  managerAccess = access;
  if (managerError) return managerError;
  manager = std::make_unique<Manager>(*this);
  return 0;
}

Service& ServiceManager::add(const std::wstring& name, uint32_t state) {
  Service& s = services_[name];
  s.status.currentState = state;
  return s;
}

std::vector<std::wstring> ServiceManager::callsOf(const std::wstring& kind) const {
  std::vector<std::wstring> found;
  for (const std::wstring& call : calls) {
    if (call.rfind(kind + L" ", 0) == 0) found.push_back(call);
  }
  return found;
}

bool LogCapture::contains(LogLevel level, const std::wstring& text) const {
  for (const Line& line : lines) {
    if (line.level == level && line.text == text) return true;
  }
  return false;
}

size_t LogCapture::count(LogLevel level) const {
  size_t n = 0;
  for (const Line& line : lines) n += line.level == level ? 1 : 0;
  return n;
}

int LogCapture::count(LogLevel level, const std::wstring& part) const {
  int found = 0;
  for (const Line& line : lines) found += line.level == level && line.text.find(part) != std::wstring::npos ? 1 : 0;
  return found;
}

std::wstring LogCapture::all() const {
  std::wstring text;
  for (const Line& line : lines) text += std::to_wstring(line.level) + L": " + line.text + L"\n";
  return text;
}

}  // namespace fake

namespace testing_support {

namespace {

// No test deletes an account of the machine it runs on.
class NoLocalUsers : public LocalUsers {
 public:
  void deleteUser(const std::wstring& name) override {
    throw vexception(L"No test deletes an account of the machine ('" + name + L"')", VCALLPOINT(L"", "deleteUser"));
  }
};

}  // namespace

Context machineContext() {
  static NoLocalUsers noLocalUsers;
  return Context{.files = &systemFileSystem(),
                 .settings = &registry::systemSettingsStore(),
                 .services = &systemServiceControl(),
                 .clock = &systemClock(),
                 .localUsers = &noLocalUsers};
}

}  // namespace testing_support

}  // namespace wc
