// Host names and aliases as --install-vhost and --add-alias write them: each
// alias with its "www." twin, every name on one host only.

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "check/check_rules.h"
#include "tomcat/host_names.h"

namespace wc {

bool lacksTwin(const HostEntry& host, const NameAt& alias) {
  // The keys are few: a look along them beats a set built per alias.
  auto twinOf = [&alias](std::wstring_view key) { return isWwwTwin(alias.key, key); };
  auto hasTwin = [&alias](const NameAt& other) { return isWwwTwin(other.key, alias.key); };
  // The twin of the host or of another alias needs none of its own.
  const bool isTwin = twinOf(host.key) || std::any_of(host.aliases.begin(), host.aliases.end(),
                                                      [&](const NameAt& other) { return twinOf(other.key); });
  return !isTwin && std::none_of(host.aliases.begin(), host.aliases.end(), hasTwin);
}

void checkNames(const PanelSnapshot& snapshot, std::vector<Finding>& out) {
  const std::wstring& file = snapshot.where.serverXml;
  // Keyed by views of the hosts' own keys: the snapshot outlives the maps.
  std::unordered_map<std::wstring_view, const HostEntry*> hostByName;
  hostByName.reserve(snapshot.hosts.size());
  for (const HostEntry& host : snapshot.hosts) {
    auto [first, added] = hostByName.emplace(host.key, &host);
    if (!added) {
      out.push_back({finding_kind::kHostDuplicate,
                     host.display,
                     L"The Host has the name of the Host on line " + std::to_wstring(first->second->line()),
                     file,
                     host.line(),
                     {&host}});
    }
  }
  // Which host holds each alias; the first one keeps it.
  std::unordered_map<std::wstring_view, const HostEntry*> aliasHost;
  size_t aliases = 0;
  for (const HostEntry& host : snapshot.hosts) aliases += host.aliases.size();
  aliasHost.reserve(aliases);
  for (const HostEntry& host : snapshot.hosts) {
    for (const NameAt& alias : host.aliases) {
      auto [holder, added] = aliasHost.emplace(alias.key, &host);
      if (!added && holder->second != &host && holder->second->key != host.key) {
        out.push_back({finding_kind::kAliasDuplicate,
                       host.display,
                       L"The alias " + shownName(alias.name) + L" is also an alias of " + holder->second->display,
                       file,
                       alias.line(),
                       {&host, &alias}});
      }
      if (lacksTwin(host, alias)) {
        out.push_back({finding_kind::kAliasTwinMissing,
                       host.display,
                       L"The alias " + shownName(alias.name) + L" has no twin " + shownName(wwwTwin(alias.name)),
                       file,
                       alias.line(),
                       {&host, &alias}});
      }
    }
  }
}

}  // namespace wc
