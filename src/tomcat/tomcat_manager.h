#pragma once
// The one object of a run on which every Tomcat operation is a member. It
// holds the Tomcat package provider and nothing else between operations: every
// operation reads what it needs afresh.

#include <string>
#include <vector>

#include "provider/package_provider_instance.h"

class TomcatManager : public TomcatProviderInstance {
 public:
  TomcatManager() = default;

  // The provider; throws "Tomcat package provider is undefined" without one.
  ITomcatProvider* get_provider() const;

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
  std::vector<std::wstring> getWebAppList(const std::wstring& host, bool startedOnly);

  // The Tomcat service.
  void startService();
  bool stopService();
  void restartService();
  std::wstring serviceStatus();
};
