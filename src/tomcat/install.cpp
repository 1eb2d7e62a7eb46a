// Laying out and removing the panel's part of Tomcat: the HCP Service in
// server.xml, the panel's directories, a host's directories and realm file.

#include "base/errors/vguard.h"
#include "base/files/copy.h"
#include "base/files/directory.h"
#include "base/files/file_exist.h"
#include "base/files/remove.h"
#include "base/log/log.h"
#include "base/xml/vxml.h"
#include "base/xml/xml_writer.h"
#include "panel/path_join.h"
#include "tomcat/hcp_service.h"
#include "tomcat/host_names.h"
#include "tomcat/tomcat_manager.h"
#include "tomcat/xml_elements.h"

namespace wc {

void TomcatManager::createHcpDirectories() {
  vguard("TomcatManager::createHcpDirectories", 102, L"createHcpDirectories()", [&] {
    // Full access for administrators and the system account; on POSIX owner
    // root with mode 0755. Directories that exist keep their access.
    const DirectoryAccess access = DirectoryAccess::fullAccessForAdministratorsAndSystem();
    const PanelDirectories directories = getPanelDirectories();
    VDirectory::createDirectory(context_, directories.appBases, &access);
    VDirectory::createDirectory(context_, directories.realmFiles, &access);
    VDirectory::createDirectory(context_, directories.archives, &access);
  });
}

void TomcatManager::removeHcpDirectories() {
  vguard("TomcatManager::removeHcpDirectories", 114, L"removeHcpDirectories()", [&] {
    const PanelDirectories directories = getPanelDirectories();
    // The archives in hcp-wars survive an uninstall.
    removeDirectory(context_, directories.appBases, true);
    removeDirectory(context_, directories.realmFiles, true);
    removeDirectory(context_, directories.work, true);
  });
}

void TomcatManager::disableShutdownPort() {
  vguard("TomcatManager::disableShutdownPort", 127, L"disableShutdownPort()", [&] {
    TomcatServiceRestarter restarter(*this);
    XmlDocument document = loadServerXml();
    vxmlSetAttribute(document.documentElement(), L"port", kShutdownPortDisabled);
    saveServerXml(document);
  });
}

void TomcatManager::copyWarsToVarTomcatDir() {
  vguard("TomcatManager::copyWarsToVarTomcatDir", 146, L"copyWarsToVarTomcatDir()", [&] {
    if (!provider_) return;
    const std::wstring source = join(get_provider()->getTomcatHome(), {L"hcp-wars"});
    if (directoryExist(context_, source)) copyDirectoryTree(context_, source, getPanelDirectories().archives, false);
  });
}

void TomcatManager::installService(const std::wstring& host, const std::wstring& managerLogin,
                                   const std::wstring& password, const std::wstring& coyotePort,
                                   const std::wstring& warpPort) {
  vguard(
      "TomcatManager::installService", 182, [&] { return vaformat(L"installService(%s)", display(host)); },
      [&] {
        TomcatServiceRestarter restarter(*this);
        const bool serviceExists = !findService(loadServerXml()).empty();
        // An existing HCP Service is never changed: its ports stay.
        if (!serviceExists) createHcpService(coyotePort, warpPort);
        const HostPaths paths = hostPaths(getPanelDirectories(), host);
        VDirectory::createDirectory(context_, paths.appBase);
        VDirectory::createDirectory(context_, paths.archives);
        writeRealmFile(host, managerLogin, password);
      });
}

void TomcatManager::createHcpService(const std::wstring& coyotePort, const std::wstring& warpPort) {
  XmlDocument document = loadServerXml();
  XmlElement service = newElement(
      document, L"Service", {{L"name", kHcpServiceName}, {L"className", L"org.apache.catalina.core.StandardService"}});
  // The AJP connector listens on loopback only, where only the local web
  // server's connector reaches it, and without a secret, which the workers
  // of the connector's files do not carry (Tomcat 10 refuses AJP otherwise).
  service.appendChild(newElement(document, L"Connector",
                                 {{L"port", warpPort},
                                  {L"protocol", kAjpProtocol},
                                  {L"redirectPort", L"443"},
                                  {L"secure", L"false"},
                                  {L"enableLookups", L"false"},
                                  {L"connectionTimeout", L"20000"},
                                  {L"address", L"127.0.0.1"},
                                  {L"secretRequired", L"false"}}));
  service.appendChild(newElement(document, L"Connector",
                                 {{L"port", coyotePort},
                                  {L"redirectPort", L"8443"},
                                  {L"secure", L"false"},
                                  {L"enableLookups", L"false"},
                                  {L"scheme", L"http"},
                                  {L"connectionTimeout", L"20000"}}));
  XmlElement engine = newElement(
      document, L"Engine", {{L"name", kHcpServiceName}, {L"className", L"org.apache.catalina.core.StandardEngine"}});
  engine.appendChild(newElement(document, L"Realm", {{L"className", L"org.apache.catalina.realm.MemoryRealm"}}));
  service.appendChild(engine);
  document.documentElement().appendChild(service);
  saveServerXml(document);
}

void TomcatManager::writeRealmFile(const std::wstring& host, const std::wstring& managerLogin,
                                   const std::wstring& password) {
  // The file holds a password: readable by its owner and by the group of the
  // realm directory (Tomcat's) only.
  const PanelDirectories directories = getPanelDirectories();
  const FilePermissions ownerAndTomcat{0640, directories.realmFiles};
  XmlWriter writer(L"UTF-8");
  writer.open(context_, hostPaths(directories, host).realmFile, &ownerAndTomcat);
  writer.startDocument();
  writer.startElement(L"tomcat-users");
  writer.addAttribute(L"username", managerLogin);
  writer.addAttribute(L"password", password);
  writer.addAttribute(L"roles", get_provider()->getManagerRoles());
  writer.startElement(L"user");
  writer.endElement(L"user");
  writer.endElement(L"tomcat-users");
  writer.endDocument();
}

void TomcatManager::removeService(const std::wstring& host) {
  vguard(
      "TomcatManager::removeService", 208, [&] { return vaformat(L"removeService(%s)", display(host)); },
      [&] {
        if (providerMissing(LOG_WARNING, L"remove service")) return;
        TomcatServiceRestarter restarter(*this);
        const HostPaths paths = hostPaths(getPanelDirectories(), host);
        for (const std::wstring* path : {&paths.appBase, &paths.realmFile, &paths.archives, &paths.work}) {
          bool isDirectory = false;
          if (!fileExist(context_, *path, &isDirectory)) continue;
          if (isDirectory)
            removeDir(context_, *path, true);
          else
            removeFile(context_, *path, true);
        }
      });
}

void TomcatManager::removeNodeService() {
  vguard("TomcatManager::removeNodeService", 748, L"removeNodeService()", [&] {
    if (!fileExist(context_, getServerXmlPath())) return;
    XmlDocument document = loadServerXml();
    XmlElement service = findService(document);
    if (service.empty()) return;
    service.parentNode().removeChild(service);
    saveServerXml(document);
  });
}

}  // namespace wc
