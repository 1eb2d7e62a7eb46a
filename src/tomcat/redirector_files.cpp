// The connector's three property files at install and uninstall time.

#include "base/errors/vguard.h"
#include "base/pipes/halvo_srv_client.h"
#include "panel/path_join.h"
#include "redirector/isapi_redirect_files.h"
#include "tomcat/tomcat_manager.h"

namespace wc {

void TomcatManager::updateIsapiRedirectPropertiesFile() {
  vguard("TomcatManager::updateIsapiRedirectPropertiesFile", __LINE__, L"createIsapiRedirectPropertiesFile()", [&] {
    ITomcatProvider* provider = get_provider();
    const std::wstring logPath =
        join(HalvoSrvClient::getInstance(context_).getProductRootDir(), {L"admin", L"logs", L"isapi_redirect.log"});
    createIsapiRedirectorFiles(context_, provider->getIsapiRedirectPropertiesPath(),
                               provider->getWorkersPropertiesPath(), provider->getUriWorkerMapPath(), logPath);
  });
}

void TomcatManager::clearIsapiRedirectProperties() {
  vguard("TomcatManager::clearIsapiRedirectProperties", __LINE__, L"clearIsapiRedirectProperties()", [&] {
    ITomcatProvider* provider = get_provider();
    resetIsapiRedirectorFiles(context_, provider->getWorkersPropertiesPath(), provider->getUriWorkerMapPath());
  });
}

}  // namespace wc
