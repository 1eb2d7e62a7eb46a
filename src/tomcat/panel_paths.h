#pragma once
// Where the panel keeps a host's files, given the panel's Tomcat data
// directory and the Tomcat home.

#include <string>
#include <vector>

namespace wc {

// A host's application base, realm file, archive directory and work
// directory, in that order.
std::vector<std::wstring> vhostPaths(const std::wstring& varTomcat, const std::wstring& tomcatHome,
                                     const std::wstring& host);

// The pathname of a host's Realm in server.xml, relative to the Tomcat home.
std::wstring realmPathname(const std::wstring& host);

struct WebAppPaths {
  std::wstring archive;      // hcp-wars/<host>/<app>.war
  std::wstring startedLink;  // hcp-webapps/<host>/<app>.war
};
WebAppPaths webAppPaths(const std::wstring& varTomcat, const std::wstring& host, const std::wstring& application);

}  // namespace wc
