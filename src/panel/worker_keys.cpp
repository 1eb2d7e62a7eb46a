#include "panel/worker_keys.h"

namespace wc {

std::wstring workerName(std::wstring_view hostName) {
  std::wstring name(hostName);
  for (wchar_t& c : name) {
    if (c == L'.') c = L'_';
  }
  return name;
}

std::string workerKey(const std::string& worker, const char* suffix) { return "worker." + worker + suffix; }

std::array<std::pair<std::string, std::string>, 4> workerKeyLines(const std::string& worker) {
  return {{{workerKey(worker, ".port"), "9008"},
           {workerKey(worker, ".host"), kWorkerHostValue},
           {workerKey(worker, ".type"), "ajp13"},
           {workerKey(worker, ".lbfactor"), "1"}}};
}

}  // namespace wc
