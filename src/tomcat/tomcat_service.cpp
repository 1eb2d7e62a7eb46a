// Starting, stopping, restarting and querying the Tomcat service.

#include "base/errors/os_error.h"
#include "base/errors/vguard.h"
#include "base/log/log.h"
#include "base/pipes/halvo_srv_client.h"
#include "base/services/service.h"
#include "base/services/service_control.h"
#include "tomcat/tomcat_manager.h"

namespace wc {

namespace {

bool isRunningState(uint32_t state) {
  return state == SERVICE_START_PENDING || state == SERVICE_RUNNING || state == SERVICE_CONTINUE_PENDING;
}

}  // namespace

std::optional<std::wstring> TomcatManager::existingServiceName(LogLevel level, const wchar_t* verb) const {
  if (providerMissing(level, (std::wstring(verb) + L" service").c_str())) return std::nullopt;
  std::wstring name = get_provider()->getServiceName();
  if (service::exist(context_, name)) return name;
  logMessage(level, L"Unable to %s %s service: service does not exist", verb, name);
  return std::nullopt;
}

void TomcatManager::startService() {
  const std::optional<std::wstring> found = existingServiceName(LOG_ERROR, L"start");
  if (!found) return;
  const std::wstring& name = *found;
  service::startStopService(context_, name, true);
}

bool TomcatManager::stopService() {
  const std::optional<std::wstring> found = existingServiceName(LOG_WARNING, L"stop");
  if (!found) return false;
  const std::wstring& name = *found;
  ServiceStatus status;
  if (uint32_t error = service::queryStatusService(context_, status, name)) {
    throwOsError(L"Query status of service '" + name + L"'", error, VCALLPOINT(L"", "TomcatManager::stopService"));
  }
  bool stopped = false;
  if (isRunningState(status.currentState)) {
    service::startStopService(context_, name, false);
    stopped = true;
  }
  // Files Tomcat held open can go now; a failure here never fails the stop.
  SeTranslatorScope translator;
  try {
    HalvoSrvClient::getInstance(context_).forceDeleteFiles(name, true);
  } catch (...) {
    try {
      logException(LOG_WARNING, guardedException("TomcatManager::stopService", __LINE__,
                                                 [] { return std::wstring(L"Force delete files"); }));
    } catch (...) {
    }
  }
  return stopped;
}

void TomcatManager::restartService() {
  if (!existingServiceName(LOG_ERROR, L"restart")) return;
  stopService();
  startService();
}

std::wstring TomcatManager::serviceStatus() {
  if (providerMissing(LOG_ERROR, L"query service status")) return L"is stopped";
  const std::wstring name = get_provider()->getServiceName();
  if (!service::exist(context_, name)) {
    logMessage(LOG_ERROR, L"Unable to query service %s status: service does not exist", name);
    return L"is stopped";
  }
  ServiceStatus status;
  if (uint32_t error = service::queryStatusService(context_, status, name)) {
    throwOsError(L"Query status service '" + name + L"'", error, VCALLPOINT(L"", "TomcatManager::serviceStatus"));
  }
  return isRunningState(status.currentState) ? L"is running" : L"is stopped";
}

TomcatServiceRestarter::TomcatServiceRestarter(TomcatManager& manager)
    : manager_(manager), restart_(manager.stopService()) {}

TomcatServiceRestarter::~TomcatServiceRestarter() {
  if (!restart_) return;
  constexpr int kTries = 3;
  for (int attempt = 1; attempt <= kTries; ++attempt) {
    SeTranslatorScope translator;
    try {
      manager_.startService();
      return;
    } catch (...) {
      try {
        vexception failure = guardedException("TomcatServiceRestarter::~TomcatServiceRestarter", __LINE__,
                                              [] { return std::wstring(L"TomcatManager::startService()"); });
        logMessage(attempt < kTries ? LOG_WARNING : LOG_ERROR, L"%s", failure.fullText());
      } catch (...) {
      }
    }
  }
}

}  // namespace wc
