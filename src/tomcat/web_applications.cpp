// Web applications of a host: an archive in the host's archive directory is
// "deployed", a link to it in the host's application base is "started".

#include "base/errors/vguard.h"
#include "base/files/copy.h"
#include "base/files/file_exist.h"
#include "base/files/find_file_names.h"
#include "base/files/vfile.h"
#include "base/log/log.h"
#include "base/pipes/halvo_srv_client.h"
#include "names/aliases_file_names.h"
#include "panel/host_paths.h"
#include "panel/path_join.h"
#include "redirector/isapi_redirector_config.h"
#include "tomcat/host_names.h"
#include "tomcat/tomcat_manager.h"

namespace wc {

namespace {

// The host's alias list from its aliases file, read and checked before an
// operation changes anything.
std::vector<std::wstring> hostAliasList(const Context& context, const std::wstring& host,
                                        const std::wstring& aliasesFile) {
  const std::vector<std::wstring> aliases = readListFile(context, aliasesFile);
  checkAliasesFileNames(aliases, aliasesFile);
  return addWwwTwins(host, aliases);
}

}  // namespace

void TomcatManager::startWebApp(const std::wstring& host, const std::wstring& application,
                                const std::wstring& aliasesFile) {
  vguard(
      "TomcatManager::startWebApp", __LINE__,
      [&] { return vaformat(L"startWebApp(%s, %s)", display(host), application); },
      [&] {
        const WebAppPaths paths = webAppPaths(getPanelDirectories(), host, application);
        if (!fileExist(context_, paths.archive)) {
          throw vexception(vaformat(L"Application '%s' is not deployed", application),
                           VCALLPOINT(L"", "TomcatManager::startWebApp"));
        }
        const std::vector<std::wstring> aliases = hostAliasList(context_, host, aliasesFile);
        renewStartedLink(host, application);
        redirectorConfig().addWebAppMounts(host, aliases, application);
      });
}

void TomcatManager::renewStartedLink(const std::wstring& host, const std::wstring& application) {
  const WebAppPaths paths = webAppPaths(getPanelDirectories(), host, application);
  if (fileExist(context_, paths.startedLink)) {
    // Tomcat may hold the old link open: the removal stops it if it must.
    const std::wstring serviceName = get_provider()->getServiceName();
    HalvoSrvClient& client = HalvoSrvClient::getInstance(context_);
    client.addDeleteFile(paths.startedLink, serviceName);
    client.forceDeleteFiles(serviceName, false);
  }
  try {
    VFile::createHardLink(context_, paths.startedLink, paths.archive);
  } catch (const vexception& e) {
    logMessage(LOG_WARNING, L"Failed to create link: %s", e.fullText());
    copyFile(context_, paths.archive, paths.startedLink, false);
  }
}

void TomcatManager::stopWebApp(const std::wstring& host, const std::wstring& application,
                               const std::wstring& aliasesFile) {
  vguard(
      "TomcatManager::stopWebApp", __LINE__,
      [&] { return vaformat(L"stopWebApp(%s, %s)", display(host), application); },
      [&] {
        if (providerMissing(LOG_WARNING, L"stop application")) return;
        const std::vector<std::wstring> aliases = hostAliasList(context_, host, aliasesFile);
        const WebAppPaths paths = webAppPaths(getPanelDirectories(), host, application);
        // The link goes when Tomcat's service next stops, or by the scheduled removal.
        if (fileExist(context_, paths.startedLink)) {
          HalvoSrvClient::getInstance(context_).addDeleteFile(paths.startedLink, get_provider()->getServiceName());
        }
        redirectorConfig().removeWebAppMounts(host, aliases, application);
      });
}

void TomcatManager::removeWebApp(const std::wstring& host, const std::wstring& application,
                                 const std::wstring& aliasesFile) {
  vguard(
      "TomcatManager::removeWebApp", __LINE__,
      [&] { return vaformat(L"removeWebApp(%s, %s)", display(host), application); },
      [&] {
        if (providerMissing(LOG_WARNING, L"remove application")) return;
        stopWebApp(host, application, aliasesFile);
        const std::wstring serviceName = get_provider()->getServiceName();
        const WebAppPaths paths = webAppPaths(getPanelDirectories(), host, application);
        if (fileExist(context_, paths.archive))
          HalvoSrvClient::getInstance(context_).addDeleteFile(paths.archive, serviceName);
        const std::wstring workDirectory = join(hostPaths(getPanelDirectories(), host).work, {application});
        if (fileExist(context_, workDirectory))
          HalvoSrvClient::getInstance(context_).addDeleteFile(workDirectory, serviceName);
      });
}

std::vector<std::wstring> TomcatManager::getWebAppList(const std::wstring& host, bool startedOnly) {
  const HostPaths paths = hostPaths(getPanelDirectories(), host);
  const std::wstring& directory = startedOnly ? paths.appBase : paths.archives;
  std::vector<std::wstring> names;
  for (const FoundName& found : findFileNames(context_, directory, L"*.war", NameOrder::AsListed)) {
    if (found.name == L"." || found.name == L"..") continue;
    const size_t dot = found.name.rfind(L'.');
    names.push_back(dot == std::wstring::npos ? found.name : found.name.substr(0, dot));
  }
  return names;
}

}  // namespace wc
