#pragma once
// One inconsistency between server.xml, the connector's property files and the
// panel's directories: what hcpcheck prints one line for, and what --fix may
// repair.

#include <cstddef>
#include <optional>
#include <string>

#include "panel/property_lines.h"

namespace wc {

struct HostEntry;
struct NameAt;

// A line's key and value, copied from the piece of the file it was read in.
struct KeptEntry {
  std::string key;
  std::string value;
  explicit KeptEntry(const PropertyEntry& entry) : key(entry.key), value(entry.value) {}
};

// What a finding is about, for the repairs that act on it: the parts of the
// snapshot the check read (valid while it lives) and the names they need.
// Only the parts the finding's kind concerns are set.
struct FindingSubject {
  const HostEntry* host = nullptr;      // the Host
  const NameAt* alias = nullptr;        // one of its Aliases
  std::optional<KeptEntry> entry = {};  // a line of uriworkermap.properties
  std::wstring worker = {};             // a worker without a Host, by name
  std::wstring application = {};        // a started application of the Host
  std::wstring path = {};               // a file or directory
};

struct Finding {
  std::wstring kind;     // one of the names below, which the panel matches on
  std::wstring host;     // the host in display form; empty when no host is concerned
  std::wstring problem;  // what is wrong, one sentence without a final stop
  std::wstring file;     // where: the file or directory
  size_t line = 0;       // the line in `file` (from 1); 0 for a file or directory as a whole
  FindingSubject subject = {};

  // Findings are equal when they print the same: the subject is what the
  // printed parts were made from.
  bool operator==(const Finding& other) const {
    return kind == other.kind && host == other.host && problem == other.problem && file == other.file &&
           line == other.line;
  }
};

// The kinds of finding. Their names are part of the output: never rename one.
namespace finding_kind {
// The panel's part of server.xml.
inline const std::wstring kServiceMissing = L"service-missing";      // no Service "HCP"
inline const std::wstring kConnectorMissing = L"connector-missing";  // its HTTP or AJP Connector is gone
inline const std::wstring kEngineMissing = L"engine-missing";        // no Engine "HCP" in it
inline const std::wstring kShutdownPortEnabled = L"shutdown-port-enabled";
// Hosts and their workers (workers.properties).
inline const std::wstring kWorkerMissing = L"worker-missing";  // a Host without its keys or its worker.list entry
inline const std::wstring kWorkerOrphan = L"worker-orphan";    // a worker without a Host
inline const std::wstring kWorkerKeys = L"worker-keys";        // keys other than the commands write
// URL mounts (uriworkermap.properties).
inline const std::wstring kMountForeignHost = L"mount-foreign-host";  // not a name or alias of the worker's host
inline const std::wstring kMountUnknownWorker = L"mount-unknown-worker";
inline const std::wstring kMountsMissing = L"mounts-missing";  // a started application without its mounts
inline const std::wstring kMountsOrphan = L"mounts-orphan";    // mounts of an application that is not started
// Names.
inline const std::wstring kAliasTwinMissing = L"alias-twin-missing";  // an Alias without its "www." twin
inline const std::wstring kAliasDuplicate = L"alias-duplicate";       // one alias on two hosts
inline const std::wstring kHostDuplicate = L"host-duplicate";         // two Hosts with one name
// Paths and the panel's directories.
inline const std::wstring kAppBaseForeign = L"appbase-foreign";       // a Host's appBase is not the panel's
inline const std::wstring kRealmForeign = L"realm-foreign";           // its Realm pathname is not the panel's
inline const std::wstring kHostFilesMissing = L"host-files-missing";  // realm file or host directory missing
inline const std::wstring kHostFilesOrphan = L"host-files-orphan";    // realm file or host directory without a Host
// Started applications (the links in hcp-webapps).
inline const std::wstring kLinkArchiveGone = L"link-archive-gone";
inline const std::wstring kLinkDiffers = L"link-differs";  // neither a hard link to the archive nor a copy of it
// Files the commands replace whole: server.xml and the realm files.
inline const std::wstring kTemporaryFileLeft = L"temporary-file-left";  // what a save cut short left beside one
}  // namespace finding_kind

}  // namespace wc
