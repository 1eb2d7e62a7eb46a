// A Host's paths as --install-vhost writes them, and the files and
// directories --install-service makes for a host, both ways round.

#include <optional>
#include <string_view>
#include <vector>

#include "base/files/file_name.h"
#include "check/check_rules.h"
#include "check/text_tables.h"
#include "panel/host_paths.h"
#include "panel/path_join.h"

namespace wc {

namespace {

void checkHostPaths(const PanelSnapshot& snapshot, const HostEntry& host, std::vector<Finding>& out) {
  const std::wstring& file = snapshot.where.serverXml;
  // The paths of a finding; a consistent host needs only its appBase.
  auto paths = [&] { return hostPaths(snapshot.directories, host.name); };
  // A path that is not the one the panel writes; its line is found only for
  // a finding.
  auto checkPath = [&](const std::wstring& kind, const wchar_t* what, const std::optional<std::wstring>& path,
                       const std::wstring& expected, size_t (HostEntry::*line)() const) {
    if (path && isSamePath(*path, expected)) return;
    out.push_back({kind,
                   host.display(),
                   std::wstring(what) + L" is \"" + path.value_or(L"") + L"\" instead of \"" + expected + L"\"",
                   file,
                   (host.*line)(),
                   {&host}});
  };
  // As hostPaths joins it.
  checkPath(finding_kind::kAppBaseForeign, L"The appBase", host.appBase,
            VFileName::combine(snapshot.directories.appBases, host.name), &HostEntry::line);
  checkPath(finding_kind::kRealmForeign, L"The Realm pathname", host.realmPathname, realmPathname(host.name),
            &HostEntry::realmLine);
  if (!snapshot.realmFiles.has.count(realmFileName(host.name))) {
    const std::wstring realmFile = paths().realmFile;
    out.push_back({finding_kind::kHostFilesMissing,
                   host.display(),
                   L"The realm file is missing",
                   realmFile,
                   0,
                   {.host = &host, .path = realmFile}});
  }
  for (const auto& [directory, entries] :
       {std::pair{&HostPaths::appBase, &snapshot.appBases}, {&HostPaths::archives, &snapshot.archives}}) {
    if (!entries->has.count(host.name)) {
      const std::wstring path = paths().*directory;
      out.push_back({finding_kind::kHostFilesMissing,
                     host.display(),
                     L"The host directory is missing",
                     path,
                     0,
                     {.host = &host, .path = path}});
    }
  }
}

// Entries named after a host (`hostOf` tells which) that no Host has.
template <class HostOf>
void checkOrphans(const WideTextSet& hosts, const DirectoryEntries& entries, HostOf hostOf, const wchar_t* what,
                  std::vector<Finding>& out) {
  for (const std::wstring& name : entries.names) {
    const std::optional<std::wstring_view> named = hostOf(name);
    if (!named) continue;
    const std::wstring_view host = *named;
    if (!hosts.count(isOwnKey(host) ? host : nameKey(std::wstring(host)))) {
      const std::wstring path = join(entries.path, {name});
      out.push_back({finding_kind::kHostFilesOrphan,
                     shownName(std::wstring(host)),
                     std::wstring(what) + L" belongs to no Host",
                     path,
                     0,
                     {.path = path}});
    }
  }
}

}  // namespace

void checkPaths(const PanelSnapshot& snapshot, std::vector<Finding>& out) {
  std::vector<std::wstring_view> keys;
  keys.reserve(snapshot.hosts.size());
  for (const HostEntry& host : snapshot.hosts) {
    keys.push_back(host.key());
    checkHostPaths(snapshot, host, out);
  }
  const WideTextSet hosts(keys);  // views of the hosts' keys
  checkOrphans(hosts, snapshot.realmFiles, hostOfRealmFileName, L"The realm file", out);
  auto ownName = [](std::wstring_view name) { return std::optional(name); };
  checkOrphans(hosts, snapshot.appBases, ownName, L"The host directory", out);
  checkOrphans(hosts, snapshot.archives, ownName, L"The host directory", out);
}

}  // namespace wc
