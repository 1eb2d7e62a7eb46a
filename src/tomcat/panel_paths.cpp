// The panel's directories beside Tomcat.

#include "tomcat/panel_paths.h"

#include "base/pipes/halvo_srv_client.h"
#include "tomcat/path_join.h"
#include "tomcat/tomcat_manager.h"

namespace wc {

std::wstring TomcatManager::getVarTomcatDir() const {
  return join(HalvoSrvClient::getInstance(context_).getProductDataDir(), {L"var", L"tomcat"});
}

std::vector<std::wstring> TomcatManager::getVHostPaths(const std::wstring& host) const {
  return vhostPaths(getVarTomcatDir(), get_provider()->getTomcatHome(), host);
}

std::vector<std::wstring> vhostPaths(const std::wstring& varTomcat, const std::wstring& tomcatHome,
                                     const std::wstring& host) {
  return {
      join(varTomcat, {L"hcp-webapps", host}),
      join(tomcatHome, {L"hcp-users", host + L".xml"}),
      join(varTomcat, {L"hcp-wars", host}),
      join(tomcatHome, {L"work", L"HCP", host}),
  };
}

std::wstring realmPathname(const std::wstring& host) { return L"hcp-users/" + host + L".xml"; }

WebAppPaths webAppPaths(const std::wstring& varTomcat, const std::wstring& host, const std::wstring& application) {
  return {join(varTomcat, {L"hcp-wars", host, application + L".war"}),
          join(varTomcat, {L"hcp-webapps", host, application + L".war"})};
}

}  // namespace wc
