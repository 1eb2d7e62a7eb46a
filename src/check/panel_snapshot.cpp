#include "check/panel_snapshot.h"

#include <algorithm>
#include <cstring>
#include <future>

#include "base/errors/strict_convert.h"
#include "base/errors/vexception.h"
#include "base/files/file_exist.h"
#include "base/files/file_name.h"
#include "base/files/find_file_names.h"
#include "base/files/symbolic_link.h"
#include "base/text/next_byte.h"
#include "base/text/strings.h"
#include "base/xml/vxml.h"
#include "base/xml/xml_child_walk.h"
#include "check/started_links.h"
#include "tomcat/host_names.h"
#include "tomcat/path_join.h"
#include "tomcat/tomcat_manager.h"

namespace wc {

namespace {

HostEntry hostEntryOf(const XmlElement& host, const std::wstring& applicationBases) {
  HostEntry entry;
  entry.name = vxmlGetAttribute(host, L"name", L"");
  entry.key = nameKey(entry.name);
  entry.display = shownName(entry.name);
  // As vhostPaths joins it, from hcp-webapps joined once.
  entry.applicationBase = VFileName::combine(applicationBases, entry.name);
  entry.element = host;
  if (std::optional<std::wstring> base = host.getAttribute(L"appBase")) entry.appBase = *base;
  forEachChildElement(host, [&entry](const XmlElement& child, std::string_view tagName) {
    if (tagNameIs(tagName, L"Alias")) {
      std::wstring name = firstChildValue(child);
      std::wstring key = nameKey(name);
      entry.aliases.push_back({std::move(name), child, std::move(key)});
    } else if (entry.realm.empty() && tagNameIs(tagName, L"Realm")) {
      // The Realm that TomcatManager::findRealm finds: the first one.
      entry.realm = child;
      entry.realmPathname = child.getAttribute(L"pathname");
    }
  });
  return entry;
}

// The lines as the commands' property file reader cuts them (LineCutter: a
// run of CR and LF bytes is one cut, so blank lines vanish), each with its
// line as an editor counts it: CR LF, a lone CR and a lone LF are one break
// each. A line's key and value are what PropertyLine parses: the key runs to
// the first '=' or, before that, the first '#'; the value follows an '='.
PropertyLines readPropertyLines(const Context& context, const std::wstring& path) {
  PropertyLines read;
  if (!fileExist(context, path)) return read;
  read.exists = true;
  readTextFile(path, read.text, "checkConsistency");
  const std::string_view text = read.text.view();
  const char* p = text.data();
  const char* const end = p + text.size();
  NextByte cr('\r', p, end);
  NextByte lf('\n', p, end);
  NextByte comment('#', p, end);
  // Room for lines of 32 bytes on average, a mount line's half: the entries
  // are mostly not moved as they grow.
  read.entries.reserve(text.size() / 32 + 1);
  size_t number = 1;
  while (p != end) {
    // A run of breaks: CR LF counts once.
    if (*p == '\r' || *p == '\n') {
      if (*p == '\n' || p + 1 == end || p[1] != '\n') ++number;
      ++p;
      continue;
    }
    const char* const lineEnd = std::min(cr.from(p), lf.from(p));
    const void* equals = std::memchr(p, '=', static_cast<size_t>(lineEnd - p));
    const char* const keyEnd = equals ? static_cast<const char*>(equals) : lineEnd;
    const char* const hash = comment.from(p);
    if (hash < keyEnd) {
      if (hash != p) read.entries.push_back({std::string_view(p, static_cast<size_t>(hash - p)), {}, number});
    } else if (equals && keyEnd != p) {
      read.entries.push_back({std::string_view(p, static_cast<size_t>(keyEnd - p)),
                              std::string_view(keyEnd + 1, static_cast<size_t>(lineEnd - keyEnd - 1)), number});
    }
    p = lineEnd;
    // Mostly a CR LF before the next line.
    if (end - p > 2 && p[0] == '\r' && p[1] == '\n' && p[2] != '\r' && p[2] != '\n') {
      ++number;
      p += 2;
    }
  }
  return read;
}

struct PropertyFiles {
  PropertyLines workers;
  PropertyLines mounts;
};

void listSavedFileDirectories(const Context& context, const PanelLocations& where, PanelSnapshot& snapshot) {
  for (const auto& [what, path] : {std::pair{L"server.xml", &where.serverXml},
                                   {L"workers.properties", &where.workers},
                                   {L"uriworkermap.properties", &where.uriWorkerMap},
                                   {L"isapi_redirect.properties", &where.isapiRedirectProperties}}) {
    if (path->empty()) continue;
    std::wstring saved;
    if (resolveSymbolicLinks(*path, saved) != 0) saved = *path;
    const std::wstring directory = VFileName::parent(saved);
    std::vector<DirectoryEntries>& listed = snapshot.savedFileDirectories;
    auto found = std::find_if(listed.begin(), listed.end(),
                              [&](const DirectoryEntries& entries) { return isSamePath(entries.path, directory); });
    if (found == listed.end()) found = listed.insert(listed.end(), listDirectoryEntries(context, directory));
    snapshot.wholeSavedFiles.push_back({what, VFileName::name(saved), static_cast<size_t>(found - listed.begin())});
  }
}

}  // namespace

PanelSnapshot readPanelSnapshot(const Context& context, const PanelLocations& where) {
  // The per-host file calls and the property files are read meanwhile on
  // other threads (see started_links.h); a failure here waits for them as
  // the futures go.
  constexpr auto policy = std::launch::async | std::launch::deferred;
  std::future<StartedLinks> scanning =
      std::async(policy, [&context, &where] { return scanStartedLinks(context, where); });
  std::future<PropertyFiles> reading = std::async(policy, [&context, &where] {
    return PropertyFiles{readPropertyLines(context, where.workers), readPropertyLines(context, where.uriWorkerMap)};
  });
  PanelSnapshot snapshot;
  snapshot.where = where;
  vxmlLoad(snapshot.serverXml, where.serverXml, /*validateOnParse=*/true, /*resolveExternals=*/false);
  XmlElement server = snapshot.serverXml.documentElement();
  snapshot.shutdownPort = server.getAttribute(L"port");
  snapshot.service = TomcatManager::findService(snapshot.serverXml);
  snapshot.engine = TomcatManager::findEngine(snapshot.serverXml);
  const std::wstring applicationBases = join(where.varTomcat, {L"hcp-webapps"});
  if (!snapshot.engine.empty()) {
    forEachChildElement(snapshot.engine, [&](const XmlElement& child, std::string_view tagName) {
      if (tagNameIs(tagName, L"Host")) snapshot.hosts.push_back(hostEntryOf(child, applicationBases));
    });
  }
  snapshot.realmFiles = listDirectoryEntries(context, join(where.tomcatHome, {L"hcp-users"}));
  listSavedFileDirectories(context, where, snapshot);
  // What fails from here on is thrown in the order of the reads: hcp-webapps,
  // hcp-wars, the removal storage, each host's directory, the property files.
  std::exception_ptr archivesFailed;
  try {
    snapshot.archives = listDirectoryEntries(context, join(where.varTomcat, {L"hcp-wars"}));
  } catch (...) {
    archivesFailed = std::current_exception();
  }
  StartedLinks scan = scanning.get();
  for (const std::exception_ptr& failed : {scan.appBasesFailed, archivesFailed, scan.leavingFailed}) {
    if (failed) std::rethrow_exception(failed);
  }
  snapshot.appBases = std::move(scan.appBases);
  for (HostEntry& host : snapshot.hosts) {
    // hcp-webapps' listing answers for the host's directory.
    if (!snapshot.appBases.has.count(host.name)) continue;
    StartedDirectory& directory = scan.directories.at(host.name);
    if (directory.listingFailed) std::rethrow_exception(directory.listingFailed);
    // The first Host of a name takes the lists; another Host of the same
    // name (a duplicate finding) copies them from it.
    if (const HostEntry* first = directory.takenBy) {
      host.started = first->started;
      host.links = first->links;
    } else {
      host.started = std::move(directory.applications);
      host.links = std::move(directory.links);
      directory.takenBy = &host;
    }
    host.linksFailed = directory.linksFailed;
  }
  PropertyFiles files = reading.get();
  snapshot.workers = std::move(files.workers);
  snapshot.mounts = std::move(files.mounts);
  return snapshot;
}

DirectoryEntries listDirectoryEntries(const Context& context, const std::wstring& path) {
  DirectoryEntries entries;
  entries.path = path;
  if (!directoryExist(context, path)) return entries;
  for (FoundName& found : findFileNames(context, path, L"*", NameOrder::AsListed))
    entries.names.push_back(std::move(found.name));
  entries.has.insert(entries.names.begin(), entries.names.end());
  return entries;
}

bool isAscii(const std::wstring& text) {
  return std::all_of(text.begin(), text.end(), [](wchar_t c) { return static_cast<uint32_t>(c) < 0x80; });
}

std::string ansiOf(const std::wstring& text) {
  return isAscii(text) ? std::string(text.begin(), text.end()) : cstr(text);
}

std::wstring nameKey(const std::wstring& name) {
  // Names are mostly ASCII, lower-cased here without a call per character.
  std::wstring key(name);
  for (wchar_t& c : key) {
    if (c >= 0x80) return lowerCase(name);
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + (L'a' - L'A'));
  }
  return key;
}

std::wstring shownName(const std::wstring& name) {
  try {
    return display(name);
  } catch (const vexception&) {
    return name;
  }
}

}  // namespace wc
