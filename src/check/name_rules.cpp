// Host names and aliases as --install-vhost and --add-alias write them: each
// alias with its "www." twin, every name on one host only.

#include <unordered_map>
#include <unordered_set>

#include "check/check_rules.h"
#include "tomcat/host_names.h"

bool lacksTwin(const HostEntry& host, const std::wstring& alias) {
  std::unordered_set<std::wstring> names;
  for (const NameAt& other : host.aliases) names.insert(nameKey(other.name));
  // A twin "www.<name>" is the twin of the host or of another alias; any
  // other alias must have its own.
  const std::wstring key = nameKey(alias);
  const bool isTwin = key.starts_with(L"www.") && (key.substr(4) == nameKey(host.name) || names.count(key.substr(4)));
  return !isTwin && !names.count(nameKey(L"www." + alias));
}

void checkNames(const PanelSnapshot& snapshot, std::vector<Finding>& out) {
  const std::wstring& file = snapshot.where.serverXml;
  std::unordered_map<std::wstring, const HostEntry*> hostByName;
  for (const HostEntry& host : snapshot.hosts) {
    auto [first, added] = hostByName.emplace(nameKey(host.name), &host);
    if (!added) {
      out.push_back({finding_kind::kHostDuplicate, host.display,
                     L"The Host has the name of the Host on line " + std::to_wstring(first->second->line), file,
                     host.line});
    }
  }
  // Which host holds each alias; the first one keeps it.
  std::unordered_map<std::wstring, const HostEntry*> aliasHost;
  for (const HostEntry& host : snapshot.hosts) {
    for (const NameAt& alias : host.aliases) {
      const std::wstring key = nameKey(alias.name);
      auto [holder, added] = aliasHost.emplace(key, &host);
      if (!added && holder->second != &host && nameKey(holder->second->name) != nameKey(host.name)) {
        out.push_back({finding_kind::kAliasDuplicate, host.display,
                       L"The alias " + display(alias.name) + L" is also an alias of " + holder->second->display, file,
                       alias.line});
      }
      if (lacksTwin(host, alias.name)) {
        out.push_back({finding_kind::kAliasTwinMissing, host.display,
                       L"The alias " + display(alias.name) + L" has no twin " + display(L"www." + alias.name), file,
                       alias.line});
      }
    }
  }
}
