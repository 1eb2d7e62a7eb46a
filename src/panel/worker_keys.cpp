#include "panel/worker_keys.h"

namespace wc {

std::wstring workerName(std::wstring_view hostName) {
  std::wstring name(hostName);
  for (wchar_t& c : name) {
    if (c == L'.') c = L'_';
  }
  return name;
}

std::string workerKey(const std::string& worker, const char* suffix) {
  // One allocation: the key is built for each worker of a check.
  const std::string_view prefix = "worker.";
  const std::string_view end = suffix;
  std::string key;
  key.reserve(prefix.size() + worker.size() + end.size());
  return key.append(prefix).append(worker).append(end);
}

std::array<std::pair<std::string, std::string>, 4> workerKeyLines(const std::string& worker) {
  return {{{workerKey(worker, ".port"), "9008"},
           {workerKey(worker, ".host"), kWorkerHostValue},
           {workerKey(worker, ".type"), "ajp13"},
           {workerKey(worker, ".lbfactor"), "1"}}};
}

}  // namespace wc
