#pragma once
// The lines of workers.properties that give a virtual host its AJP worker.

#include <array>
#include <string>
#include <utility>

namespace wc {

inline constexpr const char* kWorkerListKey = "worker.list";
// The worker's host line: Tomcat's AJP Connector on the loopback address.
inline constexpr const char* kWorkerHostValue = "127.0.0.1";

// "worker." + worker + suffix.
std::string workerKey(const std::string& worker, const char* suffix);

// The worker's four keys and their values, in the order they are appended:
// port, host, type, lbfactor.
std::array<std::pair<std::string, std::string>, 4> workerKeyLines(const std::string& worker);

}  // namespace wc
