// Started links: --start-webapp makes hcp-webapps/<host>/<app>.war a hard link
// to hcp-wars/<host>/<app>.war, or a copy where no link can be made. Either
// way it holds the archive's bytes.

#include "base/files/file_exist.h"
#include "base/files/whole_file.h"
#include "check/check_rules.h"
#include "tomcat/panel_paths.h"

void checkStartedLinks(const PanelSnapshot& snapshot, std::vector<Finding>& out) {
  for (const HostEntry& host : snapshot.hosts) {
    for (const std::wstring& application : host.started) {
      const WebAppPaths paths = webAppPaths(snapshot.where.varTomcat, host.name, application);
      if (!fileExist(paths.archive)) {
        out.push_back({finding_kind::kLinkArchiveGone, host.display,
                       L"The started application " + application + L" has no archive " + paths.archive,
                       paths.startedLink, 0});
      } else if (readWholeFile(paths.startedLink) != readWholeFile(paths.archive)) {
        out.push_back(
            {finding_kind::kLinkDiffers, host.display,
             L"The started application " + application + L" is neither a link to nor a copy of " + paths.archive,
             paths.startedLink, 0});
      }
    }
  }
}
