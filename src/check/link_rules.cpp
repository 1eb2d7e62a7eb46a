// Started links: --start-webapp makes hcp-webapps/<host>/<app>.war a hard link
// to hcp-wars/<host>/<app>.war, or a copy where no link can be made. Either
// way it holds the archive's bytes.

#include <optional>

#include "base/files/file_name.h"
#include "base/files/same_file.h"
#include "base/files/whole_file.h"
#include "check/check_rules.h"
#include "check/parallel_for.h"

namespace {

// Whether the link holds the archive's bytes: a hard link of it does without
// reading either, a copy is read only when its size is the archive's.
bool holdsArchive(const std::wstring& link, const std::wstring& archive, const FileIdentity& stored) {
  const std::optional<FileIdentity> linked = fileIdentity(link);
  if (linked && linked->isSameFileAs(stored)) return true;
  if (linked && linked->size != stored.size) return false;
  // A link gone meanwhile fails here, naming it.
  return readWholeFile(link) == readWholeFile(archive);
}

}  // namespace

void checkStartedLinks(const PanelSnapshot& snapshot, std::vector<Finding>& out) {
  std::vector<std::vector<Finding>> found(snapshot.hosts.size());
  parallelFor(snapshot.hosts.size(), [&](size_t i) {
    const HostEntry& host = snapshot.hosts[i];
    if (host.started.empty()) return;
    // The paths of webAppPaths, from hcp-wars and hcp-webapps joined once.
    const std::wstring archives = VFileName::combine(snapshot.archives.path, host.name);
    for (const std::wstring& application : host.started) {
      const std::wstring link = VFileName::combine(host.applicationBase, application + L".war");
      const std::wstring archive = VFileName::combine(archives, application + L".war");
      const std::optional<FileIdentity> stored = fileIdentity(archive);
      if (!stored) {
        found[i].push_back({finding_kind::kLinkArchiveGone, host.display,
                            L"The started application " + application + L" has no archive " + archive, link, 0});
      } else if (!holdsArchive(link, archive, *stored)) {
        found[i].push_back(
            {finding_kind::kLinkDiffers, host.display,
             L"The started application " + application + L" is neither a link to nor a copy of " + archive, link, 0});
      }
    }
  });
  for (std::vector<Finding>& findings : found) {
    for (Finding& finding : findings) out.push_back(std::move(finding));
  }
}
