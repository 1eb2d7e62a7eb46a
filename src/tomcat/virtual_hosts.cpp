// Adding, removing and renaming the virtual hosts of the HCP Engine.

#include "base/errors/vguard.h"
#include "base/files/file_exist.h"
#include "base/files/remove.h"
#include "base/files/rename.h"
#include "base/log/log.h"
#include "base/xml/vxml.h"
#include "names/aliases_file_names.h"
#include "panel/host_paths.h"
#include "panel/path_join.h"
#include "panel/worker_keys.h"
#include "redirector/isapi_redirector_config.h"
#include "tomcat/host_names.h"
#include "tomcat/tomcat_manager.h"
#include "tomcat/xml_elements.h"

namespace wc {

void TomcatManager::installVHost(const std::wstring& host, const std::wstring& aliasesFile) {
  vguard(
      "TomcatManager::installVHost", 265, [&] { return vaformat(L"installVHost(%s)", display(host)); },
      [&] {
        const std::vector<std::wstring> aliases = readListFile(context_, aliasesFile);
        checkAliasesFileNames(aliases, aliasesFile);
        const bool hasEngine = editEngine([&](const XmlDocument& document, const XmlElement& engine) {
          // A second install replaces the host, aliases included.
          if (XmlElement old = findHost(engine, host); !old.empty()) engine.removeChild(old);

          XmlElement element = newElement(document, L"Host",
                                          {{L"name", host},
                                           {L"className", L"org.apache.catalina.core.StandardHost"},
                                           {L"errorReportValveClass", L"org.apache.catalina.valves.ErrorReportValve"},
                                           {L"deployXML", L"true"},
                                           {L"appBase", hostPaths(getPanelDirectories(), host).appBase},
                                           {L"unpackWARs", L"false"},
                                           {L"autoDeploy", L"true"}});
          for (const std::wstring& name : addWwwTwins(host, aliases)) {
            appendTextElement(document, element, L"Alias", name);
          }
          element.appendChild(newElement(document, L"Context",
                                         {{L"path", L"/manager"},
                                          {L"className", L"org.apache.catalina.core.StandardContext"},
                                          {L"crossContext", L"false"},
                                          {L"reloadable", L"false"},
                                          {L"useNaming", L"true"},
                                          {L"swallowOutput", L"false"},
                                          {L"privileged", L"true"},
                                          {L"wrapperClass", L"org.apache.catalina.core.StandardWrapper"},
                                          {L"docBase", get_provider()->getManagerDocBase()},
                                          {L"cookies", L"true"},
                                          {L"cachingAllowed", L"true"}}));
          element.appendChild(newElement(
              document, L"Realm",
              {{L"pathname", realmPathname(host)}, {L"className", L"org.apache.catalina.realm.MemoryRealm"}}));
          engine.appendChild(element);
          return true;
        });
        if (!hasEngine) throw vexception(L"Can't find Engine HCP", vcallpoint{L"", "TomcatManager::installVHost", 218});

        redirectorConfig().addWorker(host);
        // Tomcat runs while the host is written; it reads it when started again.
        TomcatServiceRestarter restarter(*this);
      });
}

void TomcatManager::removeVHost(const std::wstring& host) {
  vguard(
      "TomcatManager::removeVHost", 297, [&] { return vaformat(L"removeVHost(%s)", display(host)); },
      [&] {
        if (providerMissing(LOG_WARNING, L"remove virtual host")) return;
        TomcatServiceRestarter restarter(*this);
        redirectorConfig().removeWorker(host);
        if (!fileExist(context_, getServerXmlPath())) return;
        editEngine([&](const XmlDocument&, const XmlElement& engine) {
          const XmlElement element = findHost(engine, host);
          if (element.empty()) return false;
          engine.removeChild(element);
          return true;
        });
      });
}

void TomcatManager::renameVHost(const std::wstring& oldName, const std::wstring& newName,
                                const std::wstring& aliasesFile) {
  vguard(
      "TomcatManager::renameVHost", 356, [&] { return vaformat(L"renameVHost(%s)", display(oldName)); },
      [&] {
        if (oldName == newName) {
          // Done as for two names, the host and the files about to be renamed
          // would be removed first: a host keeps its own name untouched.
          logMessage(LOG_INFO, L"Host %s already has that name: nothing to rename", oldName);
          return;
        }
        // Read before Tomcat is stopped: a bad aliases file changes nothing.
        const std::vector<std::wstring> aliases = readListFile(context_, aliasesFile);
        checkAliasesFileNames(aliases, aliasesFile);
        TomcatServiceRestarter restarter(*this);

        const bool hasEngine = editEngine([&](const XmlDocument&, const XmlElement& engine) {
          if (XmlElement taken = findHost(engine, newName); !taken.empty()) engine.removeChild(taken);
          // Without the old host the removal above is not written either.
          const XmlElement element = findHost(engine, oldName);
          if (element.empty()) return false;
          try {
            vxmlSetExistingAttribute(element, L"name", newName);
            vxmlSetExistingAttribute(element, L"appBase", hostPaths(getPanelDirectories(), newName).appBase);
            if (XmlElement alias = findAliasElement(element, wwwTwin(oldName)); !alias.empty()) {
              alias.firstChild().setNodeValue(wwwTwin(newName));
            }
            if (XmlElement realm = findRealm(element); !realm.empty()) {
              vxmlSetExistingAttribute(realm, L"pathname", realmPathname(newName));
            }
          } catch (...) {
            // A host that lacks one of these keeps what was changed up to there.
          }
          return true;
        });
        if (!hasEngine) return;

        // The host's files move whether or not server.xml knew the host; what the
        // new name had is replaced wherever the old host has a counterpart.
        const PanelDirectories directories = getPanelDirectories();
        const HostPaths from = hostPaths(directories, oldName);
        const HostPaths to = hostPaths(directories, newName);
        for (std::wstring HostPaths::*path :
             {&HostPaths::appBase, &HostPaths::realmFile, &HostPaths::archives, &HostPaths::work}) {
          if (!fileExist(context_, from.*path)) continue;
          if (path == &HostPaths::realmFile) {
            removeFile(context_, to.*path, true);
            renameFile(context_, from.*path, to.*path, 1);
          } else {
            removeDirectory(context_, to.*path, true);
            renameDir(context_, from.*path, to.*path, false);
          }
        }

        IsapiRedirectorConfig config = redirectorConfig();
        config.renameWorker(workerName(oldName), workerName(newName));
        config.renameHostMounts(oldName, addWwwTwins(oldName, aliases), newName, addWwwTwins(newName, aliases),
                                workerName(newName));
      });
}

}  // namespace wc
