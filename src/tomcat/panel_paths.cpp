// The panel's directories beside Tomcat.

#include "base/pipes/halvo_srv_client.h"
#include "panel/path_join.h"
#include "tomcat/tomcat_manager.h"

namespace wc {

std::wstring TomcatManager::getVarTomcatDir() const {
  return join(HalvoSrvClient::getInstance(context_).getProductDataDir(), {L"var", L"tomcat"});
}

PanelDirectories TomcatManager::getPanelDirectories() const {
  return panelDirectories(getVarTomcatDir(), get_provider()->getTomcatHome());
}

}  // namespace wc
