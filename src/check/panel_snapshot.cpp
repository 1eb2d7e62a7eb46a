#include "check/panel_snapshot.h"

#include <algorithm>
#include <future>

#include "base/errors/strict_convert.h"
#include "base/errors/vexception.h"
#include "base/files/file_exist.h"
#include "base/files/file_name.h"
#include "base/files/find_file_names.h"
#include "base/files/symbolic_link.h"
#include "base/text/strings.h"
#include "base/xml/vxml.h"
#include "base/xml/xml_child_walk.h"
#include "check/host_entry_reader.h"
#include "check/parallel_for.h"
#include "check/started_links.h"
#include "check/worker_table.h"
#include "panel/path_join.h"
#include "tomcat/host_names.h"
#include "tomcat/tomcat_manager.h"

namespace wc {

namespace {

// What a Host's entry holds besides server.xml's texts: it needs no document,
// so the hosts are completed side by side.
void completeHostEntry(HostEntry& entry) {
  if (!isOwnKey(entry.name)) entry.ownKey = nameKey(entry.name);
  if (std::wstring shown = shownName(entry.name); shown != entry.name) entry.ownDisplay = std::move(shown);
  for (NameAt& alias : entry.aliases) {
    if (!isOwnKey(alias.name)) alias.ownKey = nameKey(alias.name);
  }
}

PropertyLines readPropertyLines(const Context& context, const std::wstring& path) {
  PropertyLines read;
  if (!fileExist(context, path)) return read;
  read.exists = true;
  readTextFile(path, read.text, "checkConsistency");
  read.entries = propertyEntries(read.text.view());
  return read;
}

PropertyStream propertyStream(const Context& context, const std::wstring& path) {
  PropertyStream stream;
  stream.exists = fileExist(context, path);
  stream.path = path;
  return stream;
}

struct PropertyFiles {
  PropertyLines workers;
  WorkerTable workerTable;
  PropertyStream mounts;
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

HostEntry hostEntryOf(const XmlElement& host) {
  HostEntry entry;
  entry.element = host;
  entry.name = host.getAttribute(L"name").value_or(L"");
  entry.appBase = host.getAttribute(L"appBase");
  size_t index = 0;
  forEachChildElement(host, [&](const XmlElement& child, std::string_view tagName) {
    const size_t at = index++;
    if (tagNameIs(tagName, L"Alias")) {
      entry.aliases.push_back({vxmlGetNodeValue(child.firstChild(), L""), at, {}});
    } else if (entry.realm == HostEntry::kNoRealm && tagNameIs(tagName, L"Realm")) {
      // The Realm that TomcatManager::findRealm finds: the first one.
      entry.realm = at;
      entry.realmPathname = child.getAttribute(L"pathname");
    }
  });
  return entry;
}

PanelSnapshot readPanelSnapshot(const Context& context, const PanelLocations& where) {
  // The per-host file calls and workers.properties are read meanwhile on
  // other threads (see started_links.h); a failure here waits for them as
  // the futures go.
  constexpr auto policy = std::launch::async | std::launch::deferred;
  std::future<StartedLinks> scanning =
      std::async(policy, [&context, &where] { return scanStartedLinks(context, where); });
  std::future<PropertyFiles> reading = std::async(policy, [&context, &where] {
    PropertyFiles files;
    files.workers = readPropertyLines(context, where.workers);
    // Its entries stay where they are as the files move: the table views them.
    files.workerTable = workerTableOf(files.workers);
    files.mounts = propertyStream(context, where.uriWorkerMap);
    return files;
  });
  PanelSnapshot snapshot;
  snapshot.where = where;
  HostEntryReader hostTexts;
  vxmlLoad(snapshot.serverXml, where.serverXml, /*validateOnParse=*/true, /*resolveExternals=*/false, &hostTexts);
  XmlElement server = snapshot.serverXml.documentElement();
  snapshot.shutdownPort = server.getAttribute(L"port");
  snapshot.service = TomcatManager::findService(snapshot.serverXml);
  snapshot.engine = TomcatManager::findEngine(snapshot.serverXml);
  snapshot.directories = panelDirectories(where.varTomcat, where.tomcatHome);
  if (!snapshot.engine.empty()) {
    // Sized once: an entry is large, and a growing list would move each
    // entry several times and touch twice the memory.
    size_t hostCount = 0;
    forEachChildElement(snapshot.engine, [&hostCount](const XmlElement&, std::string_view tagName) {
      hostCount += tagNameIs(tagName, L"Host") ? 1 : 0;
    });
    snapshot.hosts.reserve(hostCount);
    forEachChildElement(snapshot.engine, [&](const XmlElement& child, std::string_view tagName) {
      if (!tagNameIs(tagName, L"Host")) return;
      std::optional<HostEntry> told = hostTexts.take(vxmlSourceOffset(child));
      if (told) told->element = child;
      snapshot.hosts.push_back(told ? std::move(*told) : hostEntryOf(child));
    });
  }
  parallelFor(snapshot.hosts.size(), [&](size_t i) { completeHostEntry(snapshot.hosts[i]); });
  snapshot.realmFiles = listDirectoryEntries(context, snapshot.directories.realmFiles);
  listSavedFileDirectories(context, where, snapshot);
  // What fails from here on is thrown in the order of the reads: hcp-webapps,
  // hcp-wars, the removal storage, each host's directory, workers.properties.
  StartedLinks scan = scanning.get();
  for (const std::exception_ptr& failed : {scan.appBasesFailed, scan.archivesFailed, scan.leavingFailed}) {
    if (failed) std::rethrow_exception(failed);
  }
  snapshot.appBases = std::move(scan.appBases);
  snapshot.archives = std::move(scan.archives);
  for (HostEntry& host : snapshot.hosts) {
    // hcp-webapps' listing answers for the host's directory.
    const uint32_t listed = snapshot.appBases.has.indexOf(host.name);
    if (listed == WideTextIndex::kNone) continue;
    StartedDirectory& directory = scan.directories[listed];
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
  snapshot.workerTable = std::move(files.workerTable);
  snapshot.mounts = std::move(files.mounts);
  return snapshot;
}

size_t HostEntry::childLine(size_t child) const {
  // Only for a finding: the Host is parsed then.
  size_t line = 0;
  size_t index = 0;
  forEachChildElement(element, [&](const XmlElement& each, std::string_view) {
    if (index++ == child) line = vxmlSourceLine(each);
  });
  return line;
}

DirectoryEntries listDirectoryEntries(const Context& context, const std::wstring& path) {
  DirectoryEntries entries;
  entries.path = path;
  if (!directoryExist(context, path)) return entries;
  std::vector<FoundName> found = findFileNames(context, path, L"*", NameOrder::AsListed);
  entries.names.reserve(found.size());
  for (FoundName& name : found) entries.names.push_back(std::move(name.name));
  entries.has = WideTextSet(entries.names);
  return entries;
}

bool isAscii(const std::wstring& text) {
  return std::all_of(text.begin(), text.end(), [](wchar_t c) { return static_cast<uint32_t>(c) < 0x80; });
}

std::string ansiOf(const std::wstring& text) {
  return isAscii(text) ? std::string(text.begin(), text.end()) : cstr(text);
}

std::wstring wideOf(std::string_view text) {
  unsigned char all = 0;
  for (const char c : text) all |= static_cast<unsigned char>(c);
  return all < 0x80 ? std::wstring(text.begin(), text.end()) : wstr(text);
}

bool isOwnKey(std::wstring_view name) {
  // One branch-free pass: a capital or a character beyond ASCII sets a bit.
  uint32_t other = 0;
  for (const wchar_t c : name) {
    const uint32_t code = static_cast<uint32_t>(c);
    other |= static_cast<uint32_t>(code - L'A' < 26) | static_cast<uint32_t>(code >= 0x80);
  }
  return other == 0;
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
