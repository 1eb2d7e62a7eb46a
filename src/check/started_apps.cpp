#include "check/started_apps.h"

#include "base/errors/os_error.h"
#include "base/files/file_name.h"
#include "base/files/find_file_names.h"
#include "base/removal/removal_storage.h"

std::vector<std::wstring> startedApplications(const std::wstring& applicationBase,
                                              const std::unordered_set<std::wstring>& leaving) {
  std::vector<FoundName> links;
  try {
    links = findFileNames(applicationBase, L"*.war");
  } catch (const VPathNotFoundException&) {
    return {};  // removed since hcp-webapps was listed
  }
  std::vector<std::wstring> applications;
  for (FoundName& link : links) {
    std::wstring& application = link.name;
    application.resize(application.size() - 4);
    // The link as the commands name it ("A.WAR" matches the pattern as well).
    if (!leaving.empty() && leaving.count(VFileName::combine(applicationBase, application + L".war"))) continue;
    applications.push_back(std::move(application));
  }
  return applications;
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
