#pragma once
// The worker and mount edits of the connector's property files, each one load
// and one save of its file, walking the lines the way the panel's edits do.

#include <string>
#include <vector>

namespace floorwork {

void addWorker(const std::string& workersPath, const std::string& host);
void renameWorker(const std::string& workersPath, const std::string& oldWorker, const std::string& newWorker);

// `names` is the host's name list (its "www." twin, then each alias and twin).
void addWebAppMounts(const std::string& mapPath, const std::string& host, const std::vector<std::string>& names,
                     const std::string& application);
// Nothing happens when the file is missing.
void removeWebAppMounts(const std::string& mapPath, const std::string& host, const std::vector<std::string>& names,
                        const std::string& application);
void addAliasMounts(const std::string& mapPath, const std::string& host, const std::vector<std::string>& aliases);
// Nothing happens when the file is missing.
void removeAliasMounts(const std::string& mapPath, const std::vector<std::string>& aliases);
void renameHostMounts(const std::string& mapPath, const std::string& oldHost, const std::vector<std::string>& oldNames,
                      const std::string& newHost, const std::vector<std::string>& newNames,
                      const std::string& newWorker);

// The host's name list: "www." + host, then each alias and its "www." twin.
std::vector<std::string> addWwwTwins(const std::string& host, const std::vector<std::string>& aliases);
std::string workerNameOf(const std::string& host);
std::string lowerAscii(std::string text);

}  // namespace floorwork
