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

// The suffix of each of the worker's four keys and its value, in the order
// they are appended: port, host, type, lbfactor.
inline constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kWorkerKeySuffixes = {
    {{".port", "9008"}, {".host", kWorkerHostValue}, {".type", "ajp13"}, {".lbfactor", "1"}}};

// "worker." + worker + suffix.
std::string workerKey(std::string_view worker, std::string_view suffix);
// Whether `key` is workerKey(worker, suffix), without building it: the check
// asks it for every key of thousands of workers.
bool isWorkerKey(std::string_view key, std::string_view worker, std::string_view suffix);

// The worker's four keys (kWorkerKeySuffixes) and their values.
std::array<std::pair<std::string, std::string>, 4> workerKeyLines(const std::string& worker);

}  // namespace wc
