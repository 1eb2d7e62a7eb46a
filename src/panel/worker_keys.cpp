#include "panel/worker_keys.h"

namespace wc {

namespace {
constexpr std::string_view kWorkerKeyPrefix = "worker.";
}  // namespace

std::wstring workerName(std::wstring_view hostName) {
  std::wstring name(hostName);
  for (wchar_t& c : name) {
    if (c == L'.') c = L'_';
  }
  return name;
}

std::string workerKey(std::string_view worker, std::string_view suffix) {
  // One allocation: the key is built for each worker of a command.
  std::string key;
  key.reserve(kWorkerKeyPrefix.size() + worker.size() + suffix.size());
  return key.append(kWorkerKeyPrefix).append(worker).append(suffix);
}

bool isWorkerKey(std::string_view key, std::string_view worker, std::string_view suffix) {
  return key.size() == kWorkerKeyPrefix.size() + worker.size() + suffix.size() && key.starts_with(kWorkerKeyPrefix) &&
         key.substr(kWorkerKeyPrefix.size(), worker.size()) == worker && key.ends_with(suffix);
}

std::array<std::pair<std::string, std::string>, 4> workerKeyLines(const std::string& worker) {
  std::array<std::pair<std::string, std::string>, 4> lines;
  for (size_t i = 0; i < lines.size(); ++i) {
    const auto& [suffix, value] = kWorkerKeySuffixes[i];
    lines[i] = {workerKey(worker, suffix), std::string(value)};
  }
  return lines;
}

}  // namespace wc
