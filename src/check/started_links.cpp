#include "check/started_links.h"

#include <optional>

#include "base/errors/os_error.h"
#include "base/files/file_name.h"
#include "base/files/find_file_names.h"
#include "base/files/open_directory.h"
#include "base/files/path_root.h"
#include "base/files/same_file.h"
#include "base/files/whole_file.h"
#include "base/removal/removal_storage.h"
#include "check/parallel_for.h"
#include "panel/host_paths.h"

namespace wc {

namespace {

// The started links of the host `name`, as listed ("<app>.war").
std::vector<FoundName> startedLinks(const OpenDirectory& applicationBases, const std::wstring& name,
                                    const std::unordered_set<std::wstring>& leaving) {
  std::vector<FoundName> links;
  try {
    links = findFileNames(applicationBases, name, L"*.war");
  } catch (const VPathNotFoundException&) {
    return {};  // removed since hcp-webapps was listed
  }
  if (leaving.empty()) return links;
  const std::wstring applicationBase = applicationBases.pathOf(name);
  // The link as the commands name it ("A.WAR" matches the pattern as well).
  std::erase_if(links, [&](const FoundName& link) {
    const std::wstring path = VFileName::combine(
        applicationBase, archiveFileName(std::wstring_view(link.name).substr(0, link.name.size() - 4)));
    return leaving.count(pathCaseKey(path)) != 0;
  });
  return links;
}

// A hard link of the archive holds its bytes without reading either (the
// listing tells the link's identity where it can); a copy is read only when
// its size is the archive's.
// `name` is the link's and the archive's name as the commands write it,
// `host` the name of the link's directory under hcp-webapps; `archive` is the
// archive's place under hcp-wars. The link's path is joined only when its
// identity does not answer.
LinkState linkState(const Context& context, const FoundName& listed, const std::wstring& name, const std::wstring& host,
                    const OpenDirectory& applicationBases, const OpenDirectory& archives, const std::wstring& archive) {
  const std::optional<FileIdentity> stored = fileIdentity(archives, archive);
  if (!stored) return LinkState::ArchiveGone;
  if (listed.fileNumber != 0 && listed.volume == stored->volume && listed.fileNumber == stored->index) {
    return LinkState::Holds;
  }
  const std::wstring link = VFileName::combine(applicationBases.pathOf(host), name);
  const std::optional<FileIdentity> linked = fileIdentity(link);
  if (linked && linked->isSameFileAs(*stored)) return LinkState::Holds;
  if (linked && linked->size != stored->size) return LinkState::Differs;
  // A link gone meanwhile fails here, naming it.
  return readWholeFile(context, link) == readWholeFile(context, archives.pathOf(archive)) ? LinkState::Holds
                                                                                          : LinkState::Differs;
}

}  // namespace

StartedLinks scanStartedLinks(const Context& context, const PanelLocations& where) {
  StartedLinks scan;
  const PanelDirectories directories = panelDirectories(where.varTomcat, where.tomcatHome);
  const std::wstring& applicationBases = directories.appBases;
  const std::wstring& archives = directories.archives;
  std::unordered_set<std::wstring> leaving;
  try {
    scan.appBases = listDirectoryEntries(context, applicationBases);
  } catch (...) {
    scan.appBasesFailed = std::current_exception();
    return scan;
  }
  try {
    scan.archives = listDirectoryEntries(context, archives);
  } catch (...) {
    scan.archivesFailed = std::current_exception();
  }
  try {
    leaving = pathsLeaving(context, where);
  } catch (...) {
    scan.leavingFailed = std::current_exception();
    return scan;
  }
  const std::vector<std::wstring>& names = scan.appBases.names;
  // Each host's directory is looked at from these, not from the root.
  const OpenDirectory applicationBaseDirectory(context, applicationBases);
  const OpenDirectory archiveDirectory(context, archives);
  std::vector<StartedDirectory> found(names.size());
  parallelFor(names.size(), [&](size_t i) {
    StartedDirectory& directory = found[i];
    std::vector<FoundName> links;
    try {
      links = startedLinks(applicationBaseDirectory, names[i], leaving);
    } catch (...) {
      directory.listingFailed = std::current_exception();
      return;
    }
    directory.links.reserve(links.size());
    try {
      for (const FoundName& link : links) {
        // The link and its archive as the commands name them ("A.WAR" is
        // looked at as "A.war").
        const std::wstring name = archiveFileName(std::wstring_view(link.name).substr(0, link.name.size() - 4));
        std::wstring archive;
        archive.reserve(names[i].size() + 1 + name.size());
        archive.append(names[i]).append(1, L'/').append(name);
        directory.links.push_back(
            linkState(context, link, name, names[i], applicationBaseDirectory, archiveDirectory, archive));
      }
    } catch (...) {
      directory.linksFailed = std::current_exception();
    }
    // The applications are the links' names without ".war".
    directory.applications.reserve(links.size());
    for (FoundName& link : links) {
      link.name.resize(link.name.size() - 4);
      directory.applications.push_back(std::move(link.name));
    }
  });
  scan.directories = std::move(found);
  return scan;
}

std::unordered_set<std::wstring> pathsLeaving(const Context& context, const PanelLocations& where) {
  std::unordered_set<std::wstring> paths;
  if (where.removalStorage.empty()) return paths;
  RemovalStorage storage(context, where.removalStorage);
  storage.load();
  for (const RemovalEntry& entry : storage.entries()) {
    if (entry.type == UriType::Path) paths.insert(pathCaseKey(entry.uri));  // as the file system compares them
  }
  return paths;
}

}  // namespace wc
