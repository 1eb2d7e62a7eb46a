#pragma once
// The floor of each benchmarked command: only the file work that the
// command's algorithm needs (the same parses and saves of server.xml and the
// same reads and rewrites of each property file), without the settings
// store, the management service, the provider, logging or locks.

#include <cstddef>
#include <string>
#include <vector>

namespace floorwork {

struct FloorPaths {
  std::string tomcatHome;    // server.xml, the property files, hcp-users, work/HCP
  std::string varTomcatDir;  // hcp-wars and hcp-webapps
};

void installVHost(const FloorPaths& paths, const std::string& host, const std::string& aliasesFile);
void addAlias(const FloorPaths& paths, const std::string& host, const std::string& alias);
void removeAlias(const FloorPaths& paths, const std::string& host, const std::string& alias);
void renameVHost(const FloorPaths& paths, const std::string& oldName, const std::string& newName,
                 const std::string& aliasesFile);
void startWebApp(const FloorPaths& paths, const std::string& host, const std::string& application);
void stopWebApp(const FloorPaths& paths, const std::string& host, const std::string& application);
std::vector<std::string> getWebAppList(const FloorPaths& paths, const std::string& host, bool startedOnly);
// hcpcheck's file system work alone (no check): the archives found.
size_t checkFiles(const FloorPaths& paths);

}  // namespace floorwork
