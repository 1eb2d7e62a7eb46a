// A Host's paths as --install-vhost writes them, and the files and
// directories --install-service makes for a host, both ways round.

#include <algorithm>
#include <string_view>
#include <unordered_set>

#include "base/files/file_name.h"
#include "check/check_rules.h"
#include "tomcat/panel_paths.h"
#include "tomcat/path_join.h"

namespace wc {

namespace {

// The realm file and the two host directories the panel makes, by their
// place in vhostPaths.
enum : size_t { kAppBase = 0, kRealmFile = 1, kArchives = 2 };

void checkHostPaths(const PanelSnapshot& snapshot, const HostEntry& host, std::vector<Finding>& out) {
  const std::wstring& file = snapshot.where.serverXml;
  // The paths of a finding; a consistent host needs only its appBase.
  auto paths = [&] { return vhostPaths(snapshot.where.varTomcat, snapshot.where.tomcatHome, host.name); };
  if (!host.appBase || !isSamePath(*host.appBase, host.applicationBase)) {
    out.push_back(
        {finding_kind::kAppBaseForeign, host.display,
         L"The appBase is \"" + host.appBase.value_or(L"") + L"\" instead of \"" + host.applicationBase + L"\"", file,
         host.line()});
  }
  const std::wstring realm = realmPathname(host.name);
  if (!host.realmPathname || !isSamePath(*host.realmPathname, realm)) {
    out.push_back({finding_kind::kRealmForeign, host.display,
                   L"The Realm pathname is \"" + host.realmPathname.value_or(L"") + L"\" instead of \"" + realm + L"\"",
                   file, host.realm.empty() ? host.line() : host.realmLine()});
  }
  if (!snapshot.realmFiles.has.count(host.name + L".xml")) {
    out.push_back(
        {finding_kind::kHostFilesMissing, host.display, L"The realm file is missing", paths()[kRealmFile], 0});
  }
  for (const auto& [directory, entries] : {std::pair{kAppBase, &snapshot.appBases}, {kArchives, &snapshot.archives}}) {
    if (!entries->has.count(host.name)) {
      out.push_back(
          {finding_kind::kHostFilesMissing, host.display, L"The host directory is missing", paths()[directory], 0});
    }
  }
}

// Entries named after a host (minus `suffix`) that no Host has.
void checkOrphans(const std::unordered_set<std::wstring_view>& hosts, const DirectoryEntries& entries,
                  const std::wstring& suffix, const wchar_t* what, std::vector<Finding>& out) {
  for (const std::wstring& name : entries.names) {
    if (!name.ends_with(suffix)) continue;
    const std::wstring_view host = std::wstring_view(name).substr(0, name.size() - suffix.size());
    // The panel writes its names in lower case: most are their own key.
    const bool ownKey = std::none_of(host.begin(), host.end(), [](wchar_t c) {
      return (c >= L'A' && c <= L'Z') || static_cast<uint32_t>(c) >= 0x80;
    });
    if (!hosts.count(ownKey ? host : nameKey(std::wstring(host)))) {
      out.push_back({finding_kind::kHostFilesOrphan, shownName(std::wstring(host)),
                     std::wstring(what) + L" belongs to no Host", join(entries.path, {name}), 0});
    }
  }
}

}  // namespace

void checkPaths(const PanelSnapshot& snapshot, std::vector<Finding>& out) {
  std::unordered_set<std::wstring_view> hosts;  // views of the hosts' keys
  hosts.reserve(snapshot.hosts.size());
  for (const HostEntry& host : snapshot.hosts) {
    hosts.insert(host.key);
    checkHostPaths(snapshot, host, out);
  }
  checkOrphans(hosts, snapshot.realmFiles, L".xml", L"The realm file", out);
  checkOrphans(hosts, snapshot.appBases, L"", L"The host directory", out);
  checkOrphans(hosts, snapshot.archives, L"", L"The host directory", out);
}

}  // namespace wc
