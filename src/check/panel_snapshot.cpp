#include "check/panel_snapshot.h"

#include "base/files/file_exist.h"
#include "base/files/find_file_names.h"
#include "base/text/strings.h"
#include "base/xml/vxml.h"
#include "check/started_apps.h"
#include "redirector/line_splitter.h"
#include "redirector/property_file.h"
#include "redirector/text_lines_io.h"
#include "tomcat/host_names.h"
#include "tomcat/path_join.h"
#include "tomcat/tomcat_manager.h"

namespace {

HostEntry hostEntryOf(const XmlElement& host) {
  HostEntry entry;
  entry.name = vxmlGetAttribute(host, L"name", L"");
  entry.display = display(entry.name);
  entry.line = vxmlSourceLine(host);
  if (std::optional<std::wstring> base = host.getAttribute(L"appBase")) entry.appBase = *base;
  if (XmlElement realm = TomcatManager::findRealm(host); !realm.empty()) {
    entry.realmPathname = realm.getAttribute(L"pathname");
    entry.realmLine = vxmlSourceLine(realm);
  }
  XmlNodeList children = host.childNodes();
  for (int32_t i = 0; i < children.length(); ++i) {
    XmlNode child = children.item(i);
    if (!vxmlIsNodeOfType(child, NODE_ELEMENT, L"Alias")) continue;
    XmlElement alias(child);
    entry.aliases.push_back({vxmlGetNodeValue(alias.firstChild(), L""), vxmlSourceLine(alias)});
  }
  return entry;
}

// The lines as the commands' property file reader cuts them, each with its
// line as an editor counts it: the reader takes a run of breaks for one, so
// blank lines vanish there; here CR LF, a lone CR and a lone LF are one break
// each.
PropertyLines readPropertyLines(const std::wstring& path) {
  PropertyLines read;
  if (!fileExist(path)) return read;
  read.exists = true;
  LoadedText loaded;
  readTextFile(path, loaded, "checkConsistency");
  const std::string_view text = loaded.view();
  size_t number = 1;
  size_t counted = 0;  // the breaks before this offset are in `number`
  auto onLine = [&](size_t begin, size_t end) {
    for (size_t i = counted; i < begin; ++i) {
      if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) ++number;
    }
    counted = end;
    PropertyLine line(text.substr(begin, end - begin));
    if (!line.key.empty()) read.entries.push_back({std::move(line.key), std::move(line.value), number});
  };
  LineCutter cutter;
  cutter.feed(text, onLine);
  cutter.finish(onLine);
  return read;
}

DirectoryEntries directoryEntries(const std::wstring& path) {
  DirectoryEntries entries{path, entriesOf(path, L"*"), {}};
  entries.has.insert(entries.names.begin(), entries.names.end());
  return entries;
}

}  // namespace

PanelSnapshot readPanelSnapshot(const PanelLocations& where) {
  PanelSnapshot snapshot;
  snapshot.where = where;
  vxmlLoad(snapshot.serverXml, where.serverXml, /*validateOnParse=*/true, /*resolveExternals=*/false);
  XmlElement server = snapshot.serverXml.documentElement();
  snapshot.serverLine = vxmlSourceLine(server);
  snapshot.shutdownPort = server.getAttribute(L"port");
  snapshot.service = TomcatManager::findService(snapshot.serverXml);
  if (!snapshot.service.empty()) snapshot.serviceLine = vxmlSourceLine(snapshot.service);
  snapshot.engine = TomcatManager::findEngine(snapshot.serverXml);
  if (!snapshot.engine.empty()) {
    XmlNodeList children = snapshot.engine.childNodes();
    for (int32_t i = 0; i < children.length(); ++i) {
      XmlNode child = children.item(i);
      if (vxmlIsNodeOfType(child, NODE_ELEMENT, L"Host")) snapshot.hosts.push_back(hostEntryOf(XmlElement(child)));
    }
  }
  snapshot.realmFiles = directoryEntries(join(where.tomcatHome, {L"hcp-users"}));
  snapshot.appBases = directoryEntries(join(where.varTomcat, {L"hcp-webapps"}));
  snapshot.archives = directoryEntries(join(where.varTomcat, {L"hcp-wars"}));
  const std::unordered_set<std::wstring> leaving = pathsLeaving(where);
  for (HostEntry& host : snapshot.hosts) {
    if (snapshot.appBases.has.count(host.name)) host.started = startedApplications(where, host.name, leaving);
  }
  snapshot.workers = readPropertyLines(where.workers);
  snapshot.mounts = readPropertyLines(where.uriWorkerMap);
  return snapshot;
}

std::vector<std::wstring> entriesOf(const std::wstring& directory, const std::wstring& pattern) {
  std::vector<std::wstring> names;
  if (!directoryExist(directory)) return names;
  for (FoundName& found : findFileNames(directory, pattern)) {
    if (found.name != L"." && found.name != L"..") names.push_back(std::move(found.name));
  }
  return names;
}

std::wstring nameKey(const std::wstring& name) { return lowerCase(name); }
