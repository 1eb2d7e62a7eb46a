#pragma once
// The shape of a benchmark machine: where the sandbox keeps Tomcat, the
// product directories and the panel's per-host directories, and how the
// generated hosts, aliases and applications are named. The generator, the
// runner and the floor programs all agree on these names.

#include <string>
#include <vector>

namespace bench {

// Directories under the sandbox root.
inline const std::string kTomcatHomeDir = "opt/tomcat";
inline const std::string kProductRootDir = "opt/halvo";
inline const std::string kProductDataDir = "var/opt/halvo";
// The panel's Tomcat data directory: the product data directory + var/tomcat.
inline const std::string kVarTomcatDir = "var/opt/halvo/var/tomcat";

inline const std::string kServerXml = "conf/server.xml";
inline const std::string kWorkersProperties = "conf/workers.properties";
inline const std::string kUriWorkerMap = "conf/uriworkermap.properties";
inline const std::string kIsapiRedirectProperties = "conf/isapi_redirect.properties";

// The started applications of every host, and the one more archive that the
// host the commands work on has deployed but not started.
const std::vector<std::string>& startedApplications();
inline const std::string kStoppedApplication = "extra";

std::string hostName(int index);
// The panel aliases of a host (each stands for itself and its "www." twin).
std::string aliasName(int hostIndex, int aliasIndex);
// host name with every '.' replaced by '_'
std::string workerName(const std::string& host);

// The host that the benchmarked commands work on: the one in the middle of
// the file, so that every lookup walks half of the hosts.
inline int touchedHostIndex(int hosts) { return hosts / 2; }

// Names the commands introduce.
inline const std::string kNewHost = "newsite.example.com";
inline const std::string kAddedAlias = "added-alias.example.net";
std::string renamedHostName(int hostIndex);
std::string newHostAlias(int aliasIndex);

}  // namespace bench
