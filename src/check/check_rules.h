#pragma once
// The rules of the check, one area each; every rule adds its findings to
// `out` in no particular order (see finding_order.h).

#include <vector>

#include "check/finding.h"
#include "check/panel_snapshot.h"
#include "check/worker_table.h"

namespace wc {

// The HCP Service, its Connectors and Engine, and Tomcat's shutdown port.
void checkService(const PanelSnapshot& snapshot, std::vector<Finding>& out);
// Hosts and their workers in workers.properties (`workers`: its table).
void checkWorkers(const PanelSnapshot& snapshot, const WorkerTable& workers, std::vector<Finding>& out);
// The URL mounts of uriworkermap.properties against the hosts, their names and
// their started applications.
void checkMounts(const PanelSnapshot& snapshot, const WorkerTable& workers, std::vector<Finding>& out);
// Host names and aliases.
void checkNames(const PanelSnapshot& snapshot, std::vector<Finding>& out);
// appBase and Realm pathnames, realm files and host directories.
void checkPaths(const PanelSnapshot& snapshot, std::vector<Finding>& out);
// The started links of hcp-webapps against the archives of hcp-wars.
void checkStartedLinks(const PanelSnapshot& snapshot, std::vector<Finding>& out);
// The temporary files of saves of server.xml and the realm files that a
// killed run left.
void checkTemporaryFiles(const PanelSnapshot& snapshot, std::vector<Finding>& out);

// Whether the alias of the host wants a "www." twin the host lacks: it is no
// twin itself (of the host or of another alias) and has none.
bool lacksTwin(const HostEntry& host, const NameAt& alias);

}  // namespace wc
