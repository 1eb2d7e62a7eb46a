// Operations whose implementation has not landed yet: each fails clearly
// instead of doing half of its work.

#include <cstring>

#include "base/errors/vexception.h"
#include "tomcat/tomcat_manager.h"

namespace {
[[noreturn]] void notAvailable(const char* operation) {
  throw vexception(L"The operation " + std::wstring(operation, operation + strlen(operation)) +
                       L" is not available in this build",
                   vcallpoint{L"", std::string("TomcatManager::") + operation, 0});
}
}  // namespace

void TomcatManager::updateIsapiRedirectPropertiesFile() { notAvailable("updateIsapiRedirectPropertiesFile"); }
void TomcatManager::clearIsapiRedirectProperties() { notAvailable("clearIsapiRedirectProperties"); }
void TomcatManager::createHcpDirectories() { notAvailable("createHcpDirectories"); }
void TomcatManager::removeHcpDirectories() { notAvailable("removeHcpDirectories"); }
void TomcatManager::disableShutdownPort() { notAvailable("disableShutdownPort"); }
void TomcatManager::copyWarsToVarTomcatDir() { notAvailable("copyWarsToVarTomcatDir"); }
void TomcatManager::installService(const std::wstring&, const std::wstring&, const std::wstring&, const std::wstring&,
                                   const std::wstring&) {
  notAvailable("installService");
}
void TomcatManager::removeService(const std::wstring&) { notAvailable("removeService"); }
void TomcatManager::removeNodeService() { notAvailable("removeNodeService"); }
void TomcatManager::installVHost(const std::wstring&, const std::wstring&) { notAvailable("installVHost"); }
void TomcatManager::removeVHost(const std::wstring&) { notAvailable("removeVHost"); }
void TomcatManager::renameVHost(const std::wstring&, const std::wstring&, const std::wstring&) { notAvailable("renameVHost"); }
void TomcatManager::addAlias(const std::wstring&, const std::wstring&, bool) { notAvailable("addAlias"); }
void TomcatManager::removeAlias(const std::wstring&, const std::wstring&, bool) { notAvailable("removeAlias"); }
void TomcatManager::renameAlias(const std::wstring&, const std::wstring&, const std::wstring&, bool) {
  notAvailable("renameAlias");
}
void TomcatManager::startWebApp(const std::wstring&, const std::wstring&, const std::wstring&) { notAvailable("startWebApp"); }
void TomcatManager::stopWebApp(const std::wstring&, const std::wstring&, const std::wstring&) { notAvailable("stopWebApp"); }
void TomcatManager::removeWebApp(const std::wstring&, const std::wstring&, const std::wstring&) { notAvailable("removeWebApp"); }
std::vector<std::wstring> TomcatManager::getWebAppList(const std::wstring&, bool) { notAvailable("getWebAppList"); }
void TomcatManager::startService() { notAvailable("startService"); }
bool TomcatManager::stopService() { notAvailable("stopService"); }
void TomcatManager::restartService() { notAvailable("restartService"); }
std::wstring TomcatManager::serviceStatus() { notAvailable("serviceStatus"); }
