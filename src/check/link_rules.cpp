// Started links: --start-webapp makes hcp-webapps/<host>/<app>.war a hard link
// to hcp-wars/<host>/<app>.war, or a copy where no link can be made. Either
// way it holds the archive's bytes. The links were looked at with the
// snapshot (see started_links.h).

#include "base/files/file_name.h"
#include "check/check_rules.h"

namespace wc {

void checkStartedLinks(const PanelSnapshot& snapshot, std::vector<Finding>& out) {
  for (const HostEntry& host : snapshot.hosts) {
    if (host.linksFailed) std::rethrow_exception(host.linksFailed);
    for (size_t i = 0; i < host.started.size(); ++i) {
      if (host.links[i] == LinkState::Holds) continue;
      // The paths of webAppPaths, from hcp-wars and hcp-webapps joined once.
      const std::wstring& application = host.started[i];
      const std::wstring link = VFileName::combine(host.applicationBase, application + L".war");
      const std::wstring archive =
          VFileName::combine(VFileName::combine(snapshot.archives.path, host.name), application + L".war");
      if (host.links[i] == LinkState::ArchiveGone) {
        out.push_back({finding_kind::kLinkArchiveGone, host.display,
                       L"The started application " + application + L" has no archive " + archive, link, 0});
      } else {
        out.push_back({finding_kind::kLinkDiffers, host.display,
                       L"The started application " + application + L" is neither a link to nor a copy of " + archive,
                       link, 0});
      }
    }
  }
}

}  // namespace wc
