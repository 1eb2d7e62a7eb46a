// The POSIX stand-in of the service control manager. A service is its key in
// the settings store (service_registry.h); a started service is watched by its
// host, hcpsvc, which keeps the status record in the service's directory under
// the sandbox root. Queries read that record and never need the host to
// answer: a record whose host no longer holds the host lock is read as
// stopped. A stop request is SIGTERM to the host. The host process's own
// calls (host_process.h) come last.

#include "base/services/service_control.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "base/errors/win_error_codes.h"
#include "base/services/host_process.h"
#include "base/services/service_registry.h"
#include "base/services/status_record.h"
#include "base/system/clock.h"
#include "base/system/environment.h"
#include "base/system/errno_posix.h"
#include "base/system/process.h"
#include "base/system/unique_handle.h"
#include "base/text/convert.h"
#include "base/text/strings.h"

namespace wc {

namespace {

// How long a stop request waits for the host to take it up.
constexpr uint32_t kStopAcknowledgeMs = 10000;
constexpr uint32_t kStopAcknowledgePollMs = 20;

// The status of the service as a query reports it: 0 or ERROR_FILE_CORRUPT for
// a record that cannot be read.
uint32_t currentStatus(const std::wstring& keyName, StatusRecord& out) {
  std::optional<std::string> text = readStatusRecordText(keyName);
  std::optional<StatusRecord> record;
  if (text) record = parseStatusRecord(*text);
  std::optional<uint32_t> host = serviceHostPid(keyName);
  if (!host) {
    // The host may have written its last record just before it ended.
    text = readStatusRecordText(keyName);
    record = text ? parseStatusRecord(*text) : std::nullopt;
    out = recordOfDeadHost(record);
    return 0;
  }
  if (text && !record) return ERROR_FILE_CORRUPT;
  if (!record || record->hostPid != *host) {
    // A new host holds the lock but has not written its first record yet.
    out = StatusRecord{};
    out.status.serviceType = SERVICE_WIN32_OWN_PROCESS;
    out.status.currentState = SERVICE_START_PENDING;
    out.status.waitHint = kDefaultWaitHintMs;
    out.hostPid = *host;
    return 0;
  }
  out = *record;
  return 0;
}

bool isStoppedState(uint32_t state) { return state == SERVICE_STOPPED; }

class StandInService : public ServiceHandle {
 public:
  StandInService(std::wstring keyName, uint32_t access) : name_(std::move(keyName)), access_(access) {}

  uint32_t queryStatus(ServiceStatus& status) override {
    if (!hasAccess(access_, SERVICE_QUERY_STATUS)) return ERROR_ACCESS_DENIED;
    StatusRecord record;
    if (uint32_t error = currentStatus(name_, record)) return error;
    status = record.status;
    return 0;
  }

  uint32_t control(uint32_t request, ServiceStatus& status) override {
    if (!hasAccess(access_, accessNeededForControl(request))) return ERROR_ACCESS_DENIED;
    if (request < SERVICE_CONTROL_STOP || request > SERVICE_CONTROL_INTERROGATE) return ERROR_INVALID_PARAMETER;
    StatusRecord record;
    if (uint32_t error = currentStatus(name_, record)) return error;
    if (uint32_t refused = controlRefusedInState(record.status.currentState, request)) {
      status = record.status;
      return refused;
    }
    // The host knows stop and interrogate only.
    if (request == SERVICE_CONTROL_PAUSE || request == SERVICE_CONTROL_CONTINUE) {
      status = record.status;
      return ERROR_INVALID_SERVICE_CONTROL;
    }
    if (request == SERVICE_CONTROL_STOP) {
      if (uint32_t error = requestHostStop(record.hostPid)) return error;
      if (uint32_t error = awaitStopAcknowledged(record)) return error;
    }
    status = record.status;
    return 0;
  }

  uint32_t start() override {
    if (!hasAccess(access_, SERVICE_START)) return ERROR_ACCESS_DENIED;
    ServiceDefinition definition = readServiceDefinition(name_);
    if (definition.deletePending) return ERROR_SERVICE_MARKED_FOR_DELETE;
    if (definition.startType == SERVICE_DISABLED) return ERROR_SERVICE_DISABLED;
    StatusRecord record;
    if (uint32_t error = currentStatus(name_, record)) return error;
    if (!isStoppedState(record.status.currentState)) return ERROR_SERVICE_ALREADY_RUNNING;
    if (definition.imagePath.empty()) return ERROR_FILE_NOT_FOUND;
    for (const std::wstring& dependency : definition.dependencies) {
      std::wstring dependencyKey;
      if (findServiceKey(dependency, dependencyKey) != 0) return ERROR_SERVICE_DEPENDENCY_DELETED;
      StatusRecord dependencyRecord;
      if (uint32_t error = currentStatus(dependencyKey, dependencyRecord)) return error;
      if (dependencyRecord.status.currentState != SERVICE_RUNNING) return ERROR_SERVICE_DEPENDENCY_FAIL;
    }
    return launchServiceHost(name_);
  }

  uint32_t enumDependentServices(uint32_t stateFilter, uint32_t bufferBytes, std::vector<DependentService>& services,
                                 uint32_t& bytesNeeded) override {
    if (!hasAccess(access_, SERVICE_ENUMERATE_DEPENDENTS)) return ERROR_ACCESS_DENIED;
    if (stateFilter < SERVICE_ACTIVE || stateFilter > SERVICE_STATE_ALL) return ERROR_INVALID_PARAMETER;
    std::vector<DependentService> found;
    uint32_t size = 0;
    for (const std::wstring& dependent : dependentsInStopOrder()) {
      StatusRecord record;
      if (uint32_t error = currentStatus(dependent, record)) return error;
      bool stopped = isStoppedState(record.status.currentState);
      if ((stopped && !(stateFilter & SERVICE_INACTIVE)) || (!stopped && !(stateFilter & SERVICE_ACTIVE))) continue;
      ServiceDefinition definition = readServiceDefinition(dependent);
      size += kDependentEntryBytes + 2 * static_cast<uint32_t>(dependent.size() + definition.displayName.size() + 2);
      found.push_back({dependent, definition.displayName, record.status});
    }
    bytesNeeded = size;
    if (size > bufferBytes) return ERROR_MORE_DATA;
    services = std::move(found);
    return 0;
  }

  uint32_t queryConfig(uint32_t bufferBytes, ServiceConfig& config, uint32_t& bytesNeeded) override {
    if (!hasAccess(access_, SERVICE_QUERY_CONFIG)) return ERROR_ACCESS_DENIED;
    ServiceDefinition definition = readServiceDefinition(name_);
    ServiceConfig result;
    result.serviceType = definition.serviceType;
    result.startType = definition.startType;
    result.errorControl = definition.errorControl;
    result.binaryPathName = definition.imagePath;
    result.displayName = definition.displayName;
    for (const std::wstring& dependency : definition.dependencies) {
      result.dependencies += dependency;
      result.dependencies += L'\0';
    }
    result.dependencies += L'\0';
    bytesNeeded =
        kServiceConfigBytes + 2 * static_cast<uint32_t>(result.binaryPathName.size() + 1 + result.dependencies.size() +
                                                        result.displayName.size() + 1);
    if (bytesNeeded > bufferBytes) return ERROR_INSUFFICIENT_BUFFER;
    config = std::move(result);
    return 0;
  }

  uint32_t remove() override {
    if (!hasAccess(access_, SERVICE_DELETE_ACCESS)) return ERROR_ACCESS_DENIED;
    if (isMarkedForDelete(name_)) return ERROR_SERVICE_MARKED_FOR_DELETE;
    StatusRecord record;
    if (uint32_t error = currentStatus(name_, record)) return error;
    if (!isStoppedState(record.status.currentState)) {
      // The host removes the key once the service has stopped.
      markServiceForDelete(name_);
      return 0;
    }
    if (uint32_t error = deleteServiceKey(name_)) return error;
    removeServiceStateDirectory(name_);
    return 0;
  }

 private:
  // Waits until the host has taken the stop request up (left the state it
  // was in) or has gone; `record` gets the status then.
  uint32_t awaitStopAcknowledged(StatusRecord& record) {
    Clock& clock = systemClock();
    const uint32_t stateBefore = record.status.currentState;
    const uint32_t start = clock.tickCount();
    for (;;) {
      if (uint32_t error = currentStatus(name_, record)) return error;
      if (record.status.currentState != stateBefore) return 0;
      if (clock.tickCount() - start >= kStopAcknowledgeMs) return ERROR_SERVICE_REQUEST_TIMEOUT;
      clock.sleep(kStopAcknowledgePollMs);
    }
  }

  // Every service depending on this one directly or through others; a service
  // comes before each service it depends on.
  std::vector<std::wstring> dependentsInStopOrder() const {
    std::map<std::wstring, std::vector<std::wstring>> dependentsOf;  // lower-case name -> dependents
    for (const std::wstring& other : serviceKeyNames()) {
      for (const std::wstring& dependency : readServiceDefinition(other).dependencies) {
        dependentsOf[lowerCase(dependency)].push_back(other);
      }
    }
    std::vector<std::wstring> order;
    std::set<std::wstring> visited{lowerCase(name_)};
    visit(name_, dependentsOf, visited, order);
    return order;
  }

  static void visit(const std::wstring& name, const std::map<std::wstring, std::vector<std::wstring>>& dependentsOf,
                    std::set<std::wstring>& visited, std::vector<std::wstring>& order) {
    auto it = dependentsOf.find(lowerCase(name));
    if (it == dependentsOf.end()) return;
    for (const std::wstring& dependent : it->second) {
      if (!visited.insert(lowerCase(dependent)).second) continue;
      visit(dependent, dependentsOf, visited, order);
      order.push_back(dependent);
    }
  }

  std::wstring name_;
  uint32_t access_;
};

class StandInManager : public ServiceManagerHandle {
 public:
  explicit StandInManager(uint32_t access) : access_(access) {}

  uint32_t openService(const std::wstring& name, uint32_t access, std::unique_ptr<ServiceHandle>& service) override {
    std::wstring keyName;
    if (uint32_t error = findServiceKey(name, keyName)) return error;
    // A service deleted while it ran whose host is gone without removing it.
    if (isMarkedForDelete(keyName) && !serviceHostPid(keyName)) {
      deleteServiceKey(keyName);
      removeServiceStateDirectory(keyName);
      return ERROR_SERVICE_DOES_NOT_EXIST;
    }
    service = std::make_unique<StandInService>(keyName, access);
    return 0;
  }

  uint32_t createService(const NewService& definition, uint32_t access,
                         std::unique_ptr<ServiceHandle>& service) override {
    if (!hasAccess(access_, SC_MANAGER_CREATE_SERVICE)) return ERROR_ACCESS_DENIED;
    if (!isValidServiceName(definition.name)) return ERROR_INVALID_NAME;
    if (definition.binaryPathName.empty()) return ERROR_INVALID_PARAMETER;
    std::wstring keyName;
    uint32_t error = findServiceKey(definition.name, keyName);
    if (error == 0) return isMarkedForDelete(keyName) ? ERROR_SERVICE_MARKED_FOR_DELETE : ERROR_SERVICE_EXISTS;
    if (error != ERROR_SERVICE_DOES_NOT_EXIST) return error;
    writeServiceDefinition(definition);
    // A directory left behind by an earlier service of this name goes.
    removeServiceStateDirectory(definition.name);
    service = std::make_unique<StandInService>(definition.name, access);
    return 0;
  }

 private:
  uint32_t access_;
};

class StandInServiceControl : public ServiceControl {
 public:
  uint32_t openManager(const wchar_t* machineName, const wchar_t* databaseName, uint32_t access,
                       std::unique_ptr<ServiceManagerHandle>& manager) override {
    // Only this machine's manager and its active database.
    if (machineName && *machineName && !equalsIgnoreCase(machineName, L".") &&
        !equalsIgnoreCase(machineName, L"localhost")) {
      return ERROR_NOT_SUPPORTED;
    }
    if (databaseName && *databaseName && !equalsIgnoreCase(databaseName, L"ServicesActive")) {
      return ERROR_INVALID_PARAMETER;
    }
    manager = std::make_unique<StandInManager>(access);
    return 0;
  }
};

}  // namespace

ServiceControl& systemServiceControl() {
  static StandInServiceControl control;
  return control;
}

// The host process itself: its program, its launch, its stop request and its
// directory (host_process.h).

std::wstring serviceHostProgram() {
  if (std::optional<std::wstring> configured = environmentVariable(L"HCP_SERVICE_HOST")) {
    if (!configured->empty()) return *configured;
  }
  std::wstring program = programPath();
  size_t slash = program.find_last_of(L"/\\");
  std::wstring directory = slash == std::wstring::npos ? L"." : program.substr(0, slash);
  return directory + L"/hcpsvc";
}

namespace {

// How long a launch waits for the host's first word.
constexpr int kLaunchTimeoutMs = 30000;

// Writes "error <code>\n" without allocating: used between fork and exec.
void reportChildError(int fd, uint32_t code) {
  char text[32] = "error ";
  size_t length = 6 + writeDecimal(code, text + 6);
  text[length++] = '\n';
  ssize_t written = write(fd, text, length);
  (void)written;
}

// The host's answer: "ok", or "error <code>".
uint32_t parseHostAnswer(const std::string& answer) {
  if (answer.rfind("ok", 0) == 0) return 0;
  if (answer.rfind("error ", 0) == 0) {
    uint32_t code = static_cast<uint32_t>(std::strtoul(answer.c_str() + 6, nullptr, 10));
    return code ? code : ERROR_PROCESS_ABORTED;
  }
  // The host ended without a word.
  return ERROR_PROCESS_ABORTED;
}

}  // namespace

std::optional<uint32_t> serviceHostPid(const std::wstring& serviceName) {
  UniqueFd fd(open(cstrLenient(hostLockPath(serviceName)).c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) return std::nullopt;
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  if (fcntl(fd.get(), F_GETLK, &lock) != 0 || lock.l_type == F_UNLCK) return std::nullopt;
  return static_cast<uint32_t>(lock.l_pid);
}

uint32_t launchServiceHost(const std::wstring& serviceName) {
  // Everything the children need is made before fork.
  const std::string program = cstrLenient(serviceHostProgram());
  const std::string name = cstrLenient(serviceName);
  const char* argv[] = {program.c_str(), "--run", name.c_str(), "--ready-fd", "3", nullptr};

  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return lastWindowsError();
  UniqueFd readEnd(fds[0]);
  UniqueFd writeEnd(fds[1]);

  pid_t child = fork();
  if (child < 0) return lastWindowsError();
  if (child == 0) {
    // A session of its own, and a second fork so that the host is nobody's
    // child and never becomes a zombie of the caller.
    setsid();
    pid_t host = fork();
    if (host != 0) _exit(host < 0 ? 1 : 0);
    if (writeEnd.get() == 3) {
      fcntl(3, F_SETFD, 0);
    } else if (dup2(writeEnd.get(), 3) != 3) {
      _exit(1);
    }
    int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
      dup2(null, 0);
      dup2(null, 1);
      dup2(null, 2);
    }
    // Nothing of the caller's (its locks, its pipes to the panel) may live on
    // in the host.
    close_range(4, ~0U, 0);
    if (null > 3) close(null);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    signal(SIGPIPE, SIG_DFL);
    if (chdir("/") != 0) {
      // The host does not depend on its directory.
    }
    execv(program.c_str(), const_cast<char* const*>(argv));
    reportChildError(3, windowsErrorFromErrno(errno));
    _exit(127);
  }
  writeEnd.reset();
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }

  std::string answer;
  char buffer[64];
  for (;;) {
    pollfd waitFor{readEnd.get(), POLLIN, 0};
    int ready = poll(&waitFor, 1, kLaunchTimeoutMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return ERROR_SERVICE_REQUEST_TIMEOUT;
    ssize_t n = read(readEnd.get(), buffer, sizeof(buffer));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    answer.append(buffer, static_cast<size_t>(n));
    if (answer.find('\n') != std::string::npos) break;
  }
  return parseHostAnswer(answer);
}

uint32_t requestHostStop(uint32_t hostPid) {
  if (hostPid == 0) return ERROR_SERVICE_NOT_ACTIVE;
  if (kill(static_cast<pid_t>(hostPid), SIGTERM) == 0) return 0;
  return errno == ESRCH ? ERROR_SERVICE_NOT_ACTIVE : lastWindowsError();
}

std::optional<std::string> readStatusRecordText(const std::wstring& serviceName) {
  std::ifstream in(cstrLenient(statusRecordPath(serviceName)), std::ios::binary);
  if (!in) return std::nullopt;
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void removeServiceStateDirectory(const std::wstring& serviceName) {
  std::string directory = cstrLenient(serviceStateDirectory(serviceName));
  if (DIR* listing = opendir(directory.c_str())) {
    while (dirent* entry = readdir(listing)) {
      if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
      unlink((directory + "/" + entry->d_name).c_str());
    }
    closedir(listing);
  }
  rmdir(directory.c_str());
}

}  // namespace wc
