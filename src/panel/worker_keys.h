#pragma once
// The lines of workers.properties that give a virtual host its AJP worker.

#include <array>
#include <string>
#include <string_view>
#include <utility>

namespace wc {

// The redirector's AJP worker of a virtual host: the host name with every '.'
// replaced by '_'; letter case is kept, so host 'Ab.test' has the worker
// 'Ab_test'.
std::wstring workerName(std::wstring_view hostName);

inline constexpr const char* kWorkerListKey = "worker.list";
// The worker's host line: Tomcat's AJP Connector on the loopback address.
inline constexpr const char* kWorkerHostValue = "127.0.0.1";

// "worker." + worker + suffix.
std::string workerKey(const std::string& worker, const char* suffix);

// The worker's four keys and their values, in the order they are appended:
// port, host, type, lbfactor.
std::array<std::pair<std::string, std::string>, 4> workerKeyLines(const std::string& worker);

}  // namespace wc
