#pragma once
// Where the panel keeps its hosts' files: directories under the panel's Tomcat
// data directory and under the Tomcat home, and each host's entries in them.

#include <optional>
#include <string>
#include <string_view>

namespace wc {

// The panel's directories, each holding an entry per host.
struct PanelDirectories {
  std::wstring appBases;    // <data>/hcp-webapps: a host's started applications
  std::wstring archives;    // <data>/hcp-wars: a host's archives
  std::wstring realmFiles;  // <home>/hcp-users: a realm file per host
  std::wstring work;        // <home>/work/HCP: Tomcat's work directories
};
PanelDirectories panelDirectories(const std::wstring& varTomcat, const std::wstring& tomcatHome);

// One host's entries in the panel's directories.
struct HostPaths {
  std::wstring appBase;    // the Host's appBase
  std::wstring realmFile;  // its Realm's file
  std::wstring archives;   // its directory of archives
  std::wstring work;       // its work directory
};
HostPaths hostPaths(const PanelDirectories& directories, const std::wstring& host);

// "<host>.xml", the host's realm file in hcp-users.
std::wstring realmFileName(std::wstring_view host);
// The host whose realm file has this name; none for a name of another form.
std::optional<std::wstring_view> hostOfRealmFileName(std::wstring_view name);
// The pathname of a host's Realm in server.xml, relative to the Tomcat home.
std::wstring realmPathname(const std::wstring& host);

// "<app>.war", an application's archive and started link.
std::wstring archiveFileName(std::wstring_view application);

struct WebAppPaths {
  std::wstring archive;      // hcp-wars/<host>/<app>.war
  std::wstring startedLink;  // hcp-webapps/<host>/<app>.war
};
WebAppPaths webAppPaths(const PanelDirectories& directories, const std::wstring& host, std::wstring_view application);

}  // namespace wc
