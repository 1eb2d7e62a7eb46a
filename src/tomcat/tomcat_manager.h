#pragma once
// The one object of a run on which every Tomcat operation is a member. It
// holds the Tomcat package provider and nothing else between operations: every
// operation reads what it needs afresh.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/log/log.h"
#include "base/xml/xml_dom.h"
#include "panel/host_paths.h"
#include "provider/package_provider_instance.h"

namespace wc {

class IsapiRedirectorConfig;

class TomcatManager : public TomcatProviderInstance {
 public:
  explicit TomcatManager(const Context& context) : TomcatProviderInstance(context), context_(context) {}

  // The machine's services every operation goes through.
  const Context& context() const { return context_; }

  // The provider; throws "Tomcat package provider is undefined" without one.
  ITomcatProvider* get_provider() const;

  // server.xml under the Tomcat home, and the panel's elements in it. The
  // finders answer an empty handle when the element is not there.
  std::wstring getServerXmlPath() const;
  XmlDocument loadServerXml() const;
  void saveServerXml(const XmlDocument& document) const;
  static XmlElement findService(const XmlDocument& document);
  static XmlElement findEngine(const XmlDocument& document);
  static XmlElement findHost(const XmlElement& engine, const std::wstring& host);
  static XmlElement findRealm(const XmlElement& element);
  // The host's first Alias with a text child equal to `name` (exact).
  static XmlElement findAliasElement(const XmlElement& host, const std::wstring& name);
  // Loads server.xml, hands its HCP Engine to `edit` and saves the document
  // when `edit` answers true. False, with nothing saved, when there is no HCP
  // Engine. The document is gone when this returns, so that a command's edits
  // of the connector's files that follow do not hold both files at once.
  bool editEngine(const std::function<bool(const XmlDocument&, const XmlElement&)>& edit) const;

  // The panel's Tomcat data directory: the product data directory + var/tomcat.
  std::wstring getVarTomcatDir() const;
  // The panel's directories under the data directory and the Tomcat home.
  PanelDirectories getPanelDirectories() const;
  // The connector's files as the provider names them.
  IsapiRedirectorConfig redirectorConfig() const;

  // The connector's property files.
  void updateIsapiRedirectPropertiesFile();
  void clearIsapiRedirectProperties();

  // Laying out and removing the panel's part of Tomcat.
  void createHcpDirectories();
  void removeHcpDirectories();
  void disableShutdownPort();
  void copyWarsToVarTomcatDir();
  void installService(const std::wstring& host, const std::wstring& managerLogin, const std::wstring& password,
                      const std::wstring& coyotePort, const std::wstring& warpPort);
  void removeService(const std::wstring& host);
  void removeNodeService();

  // Virtual hosts and their aliases.
  void installVHost(const std::wstring& host, const std::wstring& aliasesFile);
  void removeVHost(const std::wstring& host);
  void renameVHost(const std::wstring& oldName, const std::wstring& newName, const std::wstring& aliasesFile);
  void addAlias(const std::wstring& host, const std::wstring& alias, bool restart);
  void removeAlias(const std::wstring& host, const std::wstring& alias, bool restart);
  void renameAlias(const std::wstring& host, const std::wstring& oldAlias, const std::wstring& newAlias, bool restart);

  // Web applications of a host.
  void startWebApp(const std::wstring& host, const std::wstring& application, const std::wstring& aliasesFile);
  void stopWebApp(const std::wstring& host, const std::wstring& application, const std::wstring& aliasesFile);
  void removeWebApp(const std::wstring& host, const std::wstring& application, const std::wstring& aliasesFile);
  // Makes the started link a hard link to the archive again, or a copy where
  // no link can be made; an old link goes through the deferred removal.
  void renewStartedLink(const std::wstring& host, const std::wstring& application);
  std::vector<std::wstring> getWebAppList(const std::wstring& host, bool startedOnly);

  // The Tomcat service.
  void startService();
  // True when this call stopped a running service.
  bool stopService();
  void restartService();
  std::wstring serviceStatus();

 private:
  // Without a provider: logs "Unable to <action>: Tomcat package provider is
  // undefined" at the level and answers true, for the operations that do
  // nothing rather than fail then.
  bool providerMissing(LogLevel level, const wchar_t* action) const;
  // The Tomcat service's name; none, logged at `level`, without a provider or
  // without the service ("Unable to <verb> ...").
  std::optional<std::wstring> existingServiceName(LogLevel level, const wchar_t* verb) const;

  void createHcpService(const std::wstring& coyotePort, const std::wstring& warpPort);
  void writeRealmFile(const std::wstring& host, const std::wstring& managerLogin, const std::wstring& password);

  const Context context_;
};

// Stops Tomcat for a configuration change and starts it again when it goes
// out of scope, if it was running before: three tries, failures logged (two
// Warnings, then an Error), never thrown.
class TomcatServiceRestarter {
 public:
  explicit TomcatServiceRestarter(TomcatManager& manager);
  ~TomcatServiceRestarter();
  TomcatServiceRestarter(const TomcatServiceRestarter&) = delete;
  TomcatServiceRestarter& operator=(const TomcatServiceRestarter&) = delete;

 private:
  TomcatManager& manager_;
  bool restart_;
};

}  // namespace wc
