#include "check/started_apps.h"

#include "check/panel_snapshot.h"
#include "tomcat/panel_paths.h"

std::vector<std::wstring> startedApplications(const PanelLocations& where, const std::wstring& host) {
  const std::wstring applicationBase = vhostPaths(where.varTomcat, where.tomcatHome, host)[0];
  std::vector<std::wstring> applications;
  for (std::wstring& name : entriesOf(applicationBase, L"*.war")) {
    name.resize(name.size() - 4);
    applications.push_back(std::move(name));
  }
  return applications;
}
