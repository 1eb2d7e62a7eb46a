// Host names and aliases as --install-vhost and --add-alias write them: each
// alias with its "www." twin, every name on one host only.

#include <algorithm>
#include <string_view>
#include <vector>

#include "check/check_rules.h"
#include "check/text_tables.h"
#include "tomcat/host_names.h"

namespace wc {

bool lacksTwin(const HostEntry& host, const NameAt& alias) {
  // The keys are few: a look along them beats a set built per alias.
  auto twinOf = [&alias](std::wstring_view key) { return isWwwTwin(alias.key(), key); };
  auto hasTwin = [&alias](const NameAt& other) { return isWwwTwin(other.key(), alias.key()); };
  // The twin of the host or of another alias needs none of its own.
  const bool isTwin = twinOf(host.key()) || std::any_of(host.aliases.begin(), host.aliases.end(),
                                                        [&](const NameAt& other) { return twinOf(other.key()); });
  return !isTwin && std::none_of(host.aliases.begin(), host.aliases.end(), hasTwin);
}

void checkNames(const PanelSnapshot& snapshot, std::vector<Finding>& out) {
  const std::wstring& file = snapshot.where.serverXml;
  // Indexes of views of the hosts' own keys, then of their aliases': the
  // first of equal keys is the one found.
  std::vector<std::wstring_view> hostKeys;
  hostKeys.reserve(snapshot.hosts.size());
  for (const HostEntry& host : snapshot.hosts) hostKeys.push_back(host.key());
  WideTextIndex hostByName(hostKeys);
  for (uint32_t h = 0; h < hostKeys.size(); ++h) {
    if (hostByName.add(h)) continue;
    const HostEntry& host = snapshot.hosts[h];
    out.push_back({finding_kind::kHostDuplicate,
                   host.display(),
                   L"The Host has the name of the Host on line " +
                       std::to_wstring(snapshot.hosts[hostByName.find(host.key())].line()),
                   file,
                   host.line(),
                   {&host}});
  }
  // Which host holds each alias; the first one keeps it.
  std::vector<std::wstring_view> aliasKeys;
  std::vector<const HostEntry*> aliasHosts;
  for (const HostEntry& host : snapshot.hosts) {
    for (const NameAt& alias : host.aliases) {
      aliasKeys.push_back(alias.key());
      aliasHosts.push_back(&host);
    }
  }
  WideTextIndex aliasHost(aliasKeys);
  uint32_t a = 0;
  for (const HostEntry& host : snapshot.hosts) {
    for (const NameAt& alias : host.aliases) {
      const HostEntry* holder = aliasHost.add(a++) ? &host : aliasHosts[aliasHost.find(alias.key())];
      if (holder != &host && holder->key() != host.key()) {
        out.push_back({finding_kind::kAliasDuplicate,
                       host.display(),
                       L"The alias " + shownName(alias.name) + L" is also an alias of " + holder->display(),
                       file,
                       host.childLine(alias.child),
                       {&host, &alias}});
      }
      if (lacksTwin(host, alias)) {
        out.push_back({finding_kind::kAliasTwinMissing,
                       host.display(),
                       L"The alias " + shownName(alias.name) + L" has no twin " + shownName(wwwTwin(alias.name)),
                       file,
                       host.childLine(alias.child),
                       {&host, &alias}});
      }
    }
  }
}

}  // namespace wc
