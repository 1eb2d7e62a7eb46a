// Adding, removing and renaming the aliases of a host, each with its "www."
// twin.

#include "base/errors/vguard.h"
#include "base/files/file_exist.h"
#include "base/log/log.h"
#include "redirector/isapi_redirector_config.h"
#include "tomcat/host_names.h"
#include "tomcat/tomcat_manager.h"
#include "tomcat/xml_elements.h"

namespace wc {

namespace {
std::vector<std::wstring> namePair(const std::wstring& alias) { return {alias, wwwTwin(alias)}; }
}  // namespace

void TomcatManager::addAlias(const std::wstring& host, const std::wstring& alias, bool restart) {
  vguard(
      "TomcatManager::addAlias", 490, [&] { return vaformat(L"addAlias(%s, %s)", display(host), display(alias)); },
      [&] {
        const std::vector<std::wstring> names = namePair(alias);
        const bool hasEngine = editEngine([&](const XmlDocument& document, const XmlElement& engine) {
          const XmlElement element = findHost(engine, host);
          if (element.empty()) return false;
          bool added = false;
          for (const std::wstring& name : names) {
            if (!findAliasElement(element, name).empty()) continue;
            appendTextElement(document, element, L"Alias", name);
            added = true;
          }
          return added;
        });
        if (!hasEngine) return;
        IsapiRedirectorConfig config = redirectorConfig();
        config.addAliasMounts(host, names);
        if (restart) restartService();
      });
}

void TomcatManager::removeAlias(const std::wstring& host, const std::wstring& alias, bool restart) {
  vguard(
      "TomcatManager::removeAlias", 536,
      [&] { return vaformat(L"removeAlias(%s, %s)", display(host), display(alias)); },
      [&] {
        if (providerMissing(LOG_WARNING, L"remove alias")) return;
        if (!fileExist(context_, getServerXmlPath())) return;
        const std::vector<std::wstring> names = namePair(alias);
        const bool hasEngine = editEngine([&](const XmlDocument&, const XmlElement& engine) {
          const XmlElement element = findHost(engine, host);
          if (element.empty()) return false;
          bool removed = false;
          for (const std::wstring& name : names) {
            if (XmlElement found = findAliasElement(element, name); !found.empty()) {
              element.removeChild(found);
              removed = true;
            }
          }
          return removed;
        });
        if (!hasEngine) return;
        IsapiRedirectorConfig config = redirectorConfig();
        config.removeAliasMounts(names);
        if (restart) restartService();
      });
}

void TomcatManager::renameAlias(const std::wstring& host, const std::wstring& oldAlias, const std::wstring& newAlias,
                                bool restart) {
  vguard(
      "TomcatManager::renameAlias", 546,
      [&] { return vaformat(L"renameAlias(%s, %s, %s)", display(host), display(oldAlias), display(newAlias)); },
      [&] {
        removeAlias(host, oldAlias, false);
        addAlias(host, newAlias, restart);
      });
}

}  // namespace wc
