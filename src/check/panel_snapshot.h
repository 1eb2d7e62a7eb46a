#pragma once
// The panel's files and directories as the check reads them: server.xml's
// panel elements and the lines of workers.properties, each with the line it
// stands on, and the host directories and realm files that exist. Read once;
// every rule works on this snapshot. uriworkermap.properties, the largest
// file by far, is read again in pieces by the rules that look at its lines.

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/xml/vxml.h"
#include "base/xml/xml_dom.h"
#include "check/consistency_check.h"
#include "check/text_tables.h"
#include "panel/host_paths.h"
#include "panel/property_lines.h"
#include "redirector/property_file_entries.h"
#include "redirector/text_lines_io.h"

namespace wc {

// Lines in server.xml are looked up only for a finding: the first look
// counts the lines of the whole file.

// The panel writes its names in lower case: most are their own key and
// display form, which are kept only where they differ.

struct NameAt {
  std::wstring name;
  size_t child;         // its Alias, as the Host's element child (HostEntry::childLine)
  std::wstring ownKey;  // nameKey(name) where it is not the name
  const std::wstring& key() const { return ownKey.empty() ? name : ownKey; }
};

// What a started link holds against its archive.
enum class LinkState { Holds, ArchiveGone, Differs };

// A Host of the HCP Engine.
struct HostEntry {
  std::wstring name;        // as written
  std::wstring ownKey;      // nameKey(name) where it is not the name
  std::wstring ownDisplay;  // shownName(name) where it is not the name
  XmlElement element;
  std::optional<std::wstring> appBase;
  static constexpr size_t kNoRealm = SIZE_MAX;
  size_t realm = kNoRealm;                    // its first Realm, as its element child
  std::optional<std::wstring> realmPathname;  // of its first Realm
  std::vector<NameAt> aliases;                // the texts of its Alias elements
  std::vector<std::wstring> started;          // its started applications (see started_links.h)
  std::vector<LinkState> links;               // what each one's link holds
  std::exception_ptr linksFailed;             // looking at them failed: the link rule throws it

  const std::wstring& key() const { return ownKey.empty() ? name : ownKey; }
  const std::wstring& display() const { return ownDisplay.empty() ? name : ownDisplay; }
  size_t line() const { return vxmlSourceLine(element); }
  // The line of its element child number `child` (from 0, in document order).
  size_t childLine(size_t child) const;
  // The line of its first Realm; its own line without one.
  size_t realmLine() const { return realm == kNoRealm ? line() : childLine(realm); }
};

// The names in one of the panel's directories; none when it does not exist.
// Moved, never copied: `has` views the strings of `names`.
struct DirectoryEntries {
  std::wstring path;
  std::vector<std::wstring> names;
  WideTextSet has;  // the same names

  DirectoryEntries() = default;
  DirectoryEntries(DirectoryEntries&&) = default;
  DirectoryEntries& operator=(DirectoryEntries&&) = default;
};

// A property file as the connector's edits read it (propertyEntries).
struct PropertyLines {
  bool exists = false;
  LoadedText text;  // the file's bytes, which the entries view
  std::vector<PropertyEntry> entries;
};

// uriworkermap.properties: a dozen lines per host and application, tens of
// MiB at thousands of hosts. Its entries are read where they are looked at,
// in pieces, and the file is never held whole.
struct PropertyStream {
  bool exists = false;
  std::wstring path;

  // Reads the file again (forEachPropertyEntryIn), if it exists: each entry
  // views the piece at hand only. Throws the OS-error exception of a failed
  // read.
  template <class OnEntry>
  void forEachEntry(OnEntry&& onEntry) const {
    if (exists) forEachPropertyEntryIn(path, "checkConsistency", onEntry);
  }
};

// The workers of workers.properties: those named in "worker.list" and those
// with keys of their own ("worker.<name>.<key>").
struct WorkerLines {
  size_t listLine = 0;                     // the first worker.list line naming it; 0 when none
  std::vector<const PropertyEntry*> keys;  // its own keys, in file order
  size_t firstLine() const;
};

struct WorkerTable {
  std::unordered_map<std::wstring, WorkerLines> workers;
  size_t firstListLine = 0;  // where a missing worker would be listed
  // The workers that the install writes for no host.
  std::unordered_set<std::wstring> installWorkers;
  bool exists(const std::wstring& worker) const { return workers.count(worker) != 0; }
};

struct WholeSavedFile {
  const wchar_t* what;  // "server.xml", "workers.properties", ...
  std::wstring name;    // the name of the file its links lead to
  size_t directory;     // its place in savedFileDirectories
};

struct PanelSnapshot {
  PanelLocations where;
  PanelDirectories directories;  // the panel's, from `where`
  XmlDocument serverXml;
  std::optional<std::wstring> shutdownPort;  // the Server's port attribute
  XmlElement service;                        // empty when there is no HCP Service
  XmlElement engine;                         // empty when there is no HCP Engine in it
  std::vector<HostEntry> hosts;
  PropertyLines workers;
  WorkerTable workerTable;  // of `workers`, made as it is read
  PropertyStream mounts;
  size_t serverLine() const { return vxmlSourceLine(serverXml.documentElement()); }
  size_t serviceLine() const { return service.empty() ? 0 : vxmlSourceLine(service); }
  // Listed once each: a lookup per host costs no call to the file system.
  DirectoryEntries realmFiles;  // hcp-users under the Tomcat home
  DirectoryEntries appBases;    // hcp-webapps
  DirectoryEntries archives;    // hcp-wars
  // The files the commands replace whole (server.xml and the three property
  // files), and the directories where their saves put their temporary files:
  // those of the files their links lead to, each listed once.
  std::vector<WholeSavedFile> wholeSavedFiles;
  std::vector<DirectoryEntries> savedFileDirectories;
};

// Reads server.xml, workers.properties and the panel's directories, and
// looks whether uriworkermap.properties exists; throws vexception naming the
// path when one cannot be read or server.xml is not well-formed. A property
// file that does not exist is recorded as missing.
PanelSnapshot readPanelSnapshot(const Context& context, const PanelLocations& where);

// A Host's texts as server.xml holds them (name, appBase, aliases, Realm),
// read from its element; completed by readPanelSnapshot. The entries of Hosts
// the load tells of are read as it passes them (HostEntryReader) instead.
HostEntry hostEntryOf(const XmlElement& host);

// The names in a panel directory, in no order; none when it does not exist.
DirectoryEntries listDirectoryEntries(const Context& context, const std::wstring& path);

// Host names compare as Tomcat and the name system compare them: ignoring
// letter case. The key of a name for the lookups of the rules.
std::wstring nameKey(const std::wstring& name);
// Whether a name is its own key: no capital, only ASCII.
bool isOwnKey(std::wstring_view name);

// A name as a finding shows it: its display form, or the name as written
// when it has none (a hand-written name no command would write, such as
// "-a.test" or an empty one): the check reports it instead of failing.
std::wstring shownName(const std::wstring& name);

// A name in the form of the property files, as cstr() gives it, and back as
// wstr() gives it: ASCII is the same in every ANSI code page and needs no
// conversion.
bool isAscii(const std::wstring& text);
std::string ansiOf(const std::wstring& text);
std::wstring wideOf(std::string_view text);

}  // namespace wc
