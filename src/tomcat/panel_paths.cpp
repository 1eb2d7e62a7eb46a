// The panel's directories beside Tomcat.

#include "base/pipes/halvo_srv_client.h"
#include "tomcat/path_join.h"
#include "tomcat/tomcat_manager.h"

std::wstring TomcatManager::getVarTomcatDir() const {
  return join(HalvoSrvClient::getInstance().getProductDataDir(), {L"var", L"tomcat"});
}

std::vector<std::wstring> TomcatManager::getVHostPaths(const std::wstring& host) const {
  const std::wstring data = getVarTomcatDir();
  const std::wstring home = get_provider()->getTomcatHome();
  return {
      join(data, {L"hcp-webapps", host}),
      join(home, {L"hcp-users", host + L".xml"}),
      join(data, {L"hcp-wars", host}),
      join(home, {L"work", L"HCP", host}),
  };
}
