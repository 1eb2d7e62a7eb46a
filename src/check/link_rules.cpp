// Started links: --start-webapp makes hcp-webapps/<host>/<app>.war a hard link
// to hcp-wars/<host>/<app>.war, or a copy where no link can be made. Either
// way it holds the archive's bytes. The links were looked at with the
// snapshot (see started_links.h).

#include "check/check_rules.h"
#include "panel/host_paths.h"

namespace wc {

void checkStartedLinks(const PanelSnapshot& snapshot, std::vector<Finding>& out) {
  for (const HostEntry& host : snapshot.hosts) {
    if (host.linksFailed) std::rethrow_exception(host.linksFailed);
    for (size_t i = 0; i < host.started.size(); ++i) {
      if (host.links[i] == LinkState::Holds) continue;
      const std::wstring& application = host.started[i];
      const auto [archive, link] = webAppPaths(snapshot.directories, host.name, application);
      if (host.links[i] == LinkState::ArchiveGone) {
        out.push_back({finding_kind::kLinkArchiveGone,
                       host.display(),
                       L"The started application " + application + L" has no archive " + archive,
                       link,
                       0,
                       {.host = &host, .application = application, .path = link}});
      } else {
        out.push_back({finding_kind::kLinkDiffers,
                       host.display(),
                       L"The started application " + application + L" is neither a link to nor a copy of " + archive,
                       link,
                       0,
                       {.host = &host, .application = application, .path = link}});
      }
    }
  }
}

}  // namespace wc
