#include "check/started_apps.h"

#include "base/removal/removal_storage.h"
#include "check/panel_snapshot.h"
#include "tomcat/panel_paths.h"

std::vector<std::wstring> startedApplications(const PanelLocations& where, const std::wstring& host,
                                              const std::unordered_set<std::wstring>& leaving) {
  const std::wstring applicationBase = vhostPaths(where.varTomcat, where.tomcatHome, host)[0];
  std::vector<std::wstring> applications;
  for (std::wstring& name : entriesOf(applicationBase, L"*.war")) {
    name.resize(name.size() - 4);
    if (leaving.count(webAppPaths(where.varTomcat, host, name).startedLink)) continue;
    applications.push_back(std::move(name));
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
