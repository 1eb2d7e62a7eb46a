#include "check/started_links.h"

#include <optional>

#include "base/errors/os_error.h"
#include "base/files/file_name.h"
#include "base/files/find_file_names.h"
#include "base/files/same_file.h"
#include "base/files/whole_file.h"
#include "base/removal/removal_storage.h"
#include "check/parallel_for.h"
#include "tomcat/path_join.h"

namespace {

// The started links of a host, each named by its application (the name
// without ".war").
std::vector<FoundName> startedLinks(const std::wstring& applicationBase,
                                    const std::unordered_set<std::wstring>& leaving) {
  std::vector<FoundName> links;
  try {
    links = findFileNames(applicationBase, L"*.war");
  } catch (const VPathNotFoundException&) {
    return {};  // removed since hcp-webapps was listed
  }
  std::vector<FoundName> started;
  for (FoundName& link : links) {
    std::wstring& application = link.name;
    application.resize(application.size() - 4);
    // The link as the commands name it ("A.WAR" matches the pattern as well).
    if (!leaving.empty() && leaving.count(VFileName::combine(applicationBase, application + L".war"))) continue;
    started.push_back(std::move(link));
  }
  return started;
}

// A hard link of the archive holds its bytes without reading either (the
// listing tells the link's identity where it can); a copy is read only when
// its size is the archive's.
LinkState linkState(const FoundName& listed, const std::wstring& applicationBase, const std::wstring& archive) {
  const std::optional<FileIdentity> stored = fileIdentity(archive);
  if (!stored) return LinkState::ArchiveGone;
  if (listed.fileNumber != 0 && listed.volume == stored->volume && listed.fileNumber == stored->index) {
    return LinkState::Holds;
  }
  const std::wstring link = VFileName::combine(applicationBase, listed.name + L".war");
  const std::optional<FileIdentity> linked = fileIdentity(link);
  if (linked && linked->isSameFileAs(*stored)) return LinkState::Holds;
  if (linked && linked->size != stored->size) return LinkState::Differs;
  // A link gone meanwhile fails here, naming it.
  return readWholeFile(link) == readWholeFile(archive) ? LinkState::Holds : LinkState::Differs;
}

}  // namespace

StartedLinks scanStartedLinks(const PanelLocations& where) {
  StartedLinks scan;
  const std::wstring applicationBases = join(where.varTomcat, {L"hcp-webapps"});
  const std::wstring archives = join(where.varTomcat, {L"hcp-wars"});
  std::unordered_set<std::wstring> leaving;
  try {
    scan.appBases = listDirectoryEntries(applicationBases);
  } catch (...) {
    scan.appBasesFailed = std::current_exception();
    return scan;
  }
  try {
    leaving = pathsLeaving(where);
  } catch (...) {
    scan.leavingFailed = std::current_exception();
    return scan;
  }
  const std::vector<std::wstring>& names = scan.appBases.names;
  std::vector<StartedDirectory> found(names.size());
  parallelFor(names.size(), [&](size_t i) {
    StartedDirectory& directory = found[i];
    std::wstring applicationBase;
    std::vector<FoundName> links;
    try {
      applicationBase = VFileName::combine(applicationBases, names[i]);
      links = startedLinks(applicationBase, leaving);
    } catch (...) {
      directory.listingFailed = std::current_exception();
      return;
    }
    for (const FoundName& link : links) directory.applications.push_back(link.name);
    try {
      const std::wstring hostArchives = VFileName::combine(archives, names[i]);
      for (const FoundName& link : links) {
        directory.links.push_back(
            linkState(link, applicationBase, VFileName::combine(hostArchives, link.name + L".war")));
      }
    } catch (...) {
      directory.linksFailed = std::current_exception();
    }
  });
  for (size_t i = 0; i < names.size(); ++i) scan.directories.emplace(names[i], std::move(found[i]));
  return scan;
}

std::unordered_set<std::wstring> pathsLeaving(const PanelLocations& where) {
  std::unordered_set<std::wstring> paths;
  if (where.removalStorage.empty()) return paths;
  RemovalStorage storage(where.removalStorage);
  storage.load();
  for (const RemovalEntry& entry : storage.entries()) {
    if (entry.type == UriType::Path) paths.insert(entry.uri);
  }
  return paths;
}
