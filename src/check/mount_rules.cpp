// URL mounts: every mount names a worker that exists, under a name of the
// worker's host, for an application that is started; every started
// application has the mounts --start-webapp writes for the host and each of
// its aliases.

#include <unordered_map>
#include <unordered_set>

#include "base/errors/strict_convert.h"
#include "check/check_rules.h"
#include "check/worker_table.h"
#include "redirector/mount_keys.h"
#include "redirector/redirector_names.h"
#include "redirector/worker_name.h"
#include "tomcat/host_names.h"

namespace {

struct HostMounts {
  const HostEntry* host = nullptr;
  std::unordered_set<std::string> names;     // its mount names: the host's and each alias's
  std::unordered_set<std::wstring> started;  // its started applications
  std::vector<std::wstring> startedInOrder;
};

}  // namespace

void checkMounts(const PanelSnapshot& snapshot, std::vector<Finding>& out) {
  const std::wstring& file = snapshot.where.uriWorkerMap;
  const WorkerTable workers = workerTableOf(snapshot.workers);
  std::unordered_map<std::wstring, HostMounts> byWorker;
  for (const HostEntry& host : snapshot.hosts) {
    HostMounts& mounts = byWorker[workerName(host.name)];
    if (mounts.host) continue;  // a second Host of that name is reported as such
    mounts.host = &host;
    mounts.names.insert(mountName(host.name));
    for (const NameAt& alias : host.aliases) mounts.names.insert(mountName(alias.name));
    mounts.started.insert(host.started.begin(), host.started.end());
  }

  std::unordered_map<std::string, std::string> present;  // mount key -> worker
  for (const PropertyEntry& entry : snapshot.mounts.entries) {
    present.emplace(entry.key, entry.value);
    const std::string_view prefix = mountNameOf(entry.key);
    if (prefix.empty()) continue;
    const std::string name(prefix.substr(1, prefix.size() - 2));
    const std::wstring worker = wstr(entry.value);
    if (!workers.exists(worker)) {
      out.push_back({finding_kind::kMountUnknownWorker, display(wstr(name)),
                     L"The mount " + wstr(entry.key) + L" names the worker " + worker + L", which does not exist", file,
                     entry.line});
      continue;
    }
    const auto owner = byWorker.find(worker);
    if (owner == byWorker.end()) continue;  // the worker's want of a Host is its own finding
    const HostMounts& mounts = owner->second;
    if (!mounts.names.count(name)) {
      out.push_back({finding_kind::kMountForeignHost, mounts.host->display,
                     L"The mount " + wstr(entry.key) + L" is for " + display(wstr(name)) +
                         L", which is not a name of the worker's host",
                     file, entry.line});
      continue;
    }
    // The panel's mounts are "/name/app" and "/name/app/*".
    std::string_view app = std::string_view(entry.key).substr(prefix.size());
    if (app.ends_with("/*")) app.remove_suffix(2);
    if (app.empty() || app.find('/') != std::string_view::npos) continue;
    if (!mounts.started.count(wstr(app))) {
      out.push_back(
          {finding_kind::kMountsOrphan, mounts.host->display,
           L"The mount " + wstr(entry.key) + L" is for the application " + wstr(app) + L", which is not started", file,
           entry.line});
    }
  }

  for (const HostEntry& host : snapshot.hosts) {
    const HostMounts& mounts = byWorker[workerName(host.name)];
    if (mounts.host != &host) continue;
    std::vector<std::wstring> aliases;
    for (const NameAt& alias : host.aliases) aliases.push_back(alias.name);
    const std::string worker = cstr(workerName(host.name));
    for (const std::wstring& application : host.started) {
      size_t missing = 0;
      std::string example;
      const std::vector<std::string> keys = webAppMountKeys(host.name, aliases, application);
      for (const std::string& key : keys) {
        const auto found = present.find(key);
        if (found != present.end() && found->second == worker) continue;
        if (missing++ == 0) example = key;
      }
      if (missing == 0) continue;
      out.push_back({finding_kind::kMountsMissing, host.display,
                     L"The started application " + application + L" lacks " + std::to_wstring(missing) + L" of its " +
                         std::to_wstring(keys.size()) + L" mounts, " + wstr(example) + L" first",
                     file, 0});
    }
  }
}
