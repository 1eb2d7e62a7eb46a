// URL mounts: every mount names a worker that exists, under a name of the
// worker's host, for an application that is started; every started
// application has the mounts --start-webapp writes for the host and each of
// its aliases.
//
// The file has a dozen lines per host and application: each line is looked
// at once, in place, and the keys a started application needs are not built
// unless one is missing.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <unordered_map>

#include "base/errors/strict_convert.h"
#include "check/check_rules.h"
#include "check/worker_table.h"
#include "redirector/mount_keys.h"
#include "redirector/redirector_names.h"
#include "redirector/worker_name.h"
#include "tomcat/host_names.h"

namespace {

// The comparisons of every line, written out: the library's went through a
// call each.
bool same(std::string_view a, std::string_view b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size()) == 0);
}

// Where `text` is in `list`, or the list's size. The lists are a host's few
// names and applications.
size_t indexIn(const std::vector<std::string>& list, std::string_view text) {
  size_t i = 0;
  while (i < list.size() && !same(list[i], text)) ++i;
  return i;
}

// What the first line of a mount key names.
enum KeyState : uint8_t { kNoLine, kHostsWorker, kOtherWorker };

// A host with the mounts of its started applications, in the file's forms.
struct HostMounts {
  const HostEntry* host = nullptr;
  std::string worker;                // its worker's name
  std::vector<std::string> names;    // its mount names: the host's, then each alias's (webAppMountKeys' order)
  std::vector<std::string> started;  // its started applications
  // Per application, per name, "/name/app" then "/name/app/*": what the
  // first line of that key names.
  std::vector<KeyState> keys;
  // A name holds '/', so its keys cannot be told from a line's first
  // segment: they are looked up whole.
  bool byWholeKeys = false;
  // In the index of names (it has started applications and no such name);
  // per name, whether another host, or this one twice, needs it as well.
  bool indexed = false;
  std::vector<bool> shared;

  size_t keyIndex(size_t application, size_t name, bool star) const {
    return (application * names.size() + name) * 2 + (star ? 1 : 0);
  }

  // A line of a key of this host's (`application` indexes `started`): the
  // first line of each key decides, as the redirector takes the first.
  void note(size_t name, size_t application, bool star, std::string_view lineWorker) {
    if (application >= started.size()) return;
    KeyState& state = keys[keyIndex(application, name, star)];
    if (state == kNoLine) state = same(lineWorker, worker) ? kHostsWorker : kOtherWorker;
  }
};

// mountName() of a host or alias name whose key (nameKey) is known: an
// ASCII key is the name lower-cased already.
std::string mountFormOf(const std::wstring& name, const std::wstring& key) {
  return isAscii(key) ? std::string(key.begin(), key.end()) : mountName(name);
}

// The hosts that need a mount name, with its place in their names.
using MountNameIndex = std::unordered_multimap<std::string_view, std::pair<HostMounts*, size_t>>;

}  // namespace

void checkMounts(const PanelSnapshot& snapshot, const WorkerTable& workers, std::vector<Finding>& out) {
  const std::wstring& file = snapshot.where.uriWorkerMap;
  // Per host; the first Host of a worker only, a second one of that name is
  // reported as such.
  std::vector<HostMounts> hostMounts(snapshot.hosts.size());
  std::unordered_map<std::wstring, HostMounts*> byWorker;
  byWorker.reserve(snapshot.hosts.size());
  MountNameIndex byName;
  size_t names = 0;
  for (const HostEntry& host : snapshot.hosts) names += 1 + host.aliases.size();
  byName.reserve(names);
  for (size_t h = 0; h < snapshot.hosts.size(); ++h) {
    const HostEntry& host = snapshot.hosts[h];
    HostMounts& mounts = hostMounts[h];
    if (!byWorker.emplace(workerName(host.name), &mounts).second) continue;
    mounts.host = &host;
    mounts.names.push_back(mountFormOf(host.name, host.key));
    for (const NameAt& alias : host.aliases) mounts.names.push_back(mountFormOf(alias.name, alias.key));
    for (const std::wstring& application : host.started) mounts.started.push_back(ansiOf(application));
    mounts.worker = ansiOf(workerName(host.name));
    mounts.keys.assign(mounts.started.size() * mounts.names.size() * 2, kNoLine);
    mounts.byWholeKeys = std::any_of(mounts.names.begin(), mounts.names.end(),
                                     [](const std::string& name) { return name.find('/') != std::string::npos; });
    if (mounts.started.empty() || mounts.byWholeKeys) continue;
    mounts.indexed = true;
    mounts.shared.resize(mounts.names.size());
    for (size_t i = 0; i < mounts.names.size(); ++i) byName.emplace(mounts.names[i], std::pair{&mounts, i});
  }
  // Equal names stand together in the index.
  for (auto same = byName.begin(); same != byName.end();) {
    auto next = std::next(same);
    while (next != byName.end() && next->first == same->first) ++next;
    const bool shared = std::next(same) != next;
    for (; same != next; ++same) same->second.first->shared[same->second.second] = shared;
  }

  // The lines of one worker stand together: its name is converted and
  // looked up once per run of lines.
  std::string_view lastValue;
  HostMounts* owner = nullptr;
  bool known = false;
  bool first = true;
  std::wstring worker;
  // Likewise the two lines of a name ("/name/app", "/name/app/*").
  std::string_view lastName;
  size_t at = 0;
  for (const PropertyEntry& entry : snapshot.mounts.entries) {
    const std::string_view prefix = mountNameOf(entry.key);
    if (prefix.empty()) continue;
    const std::string_view name = prefix.substr(1, prefix.size() - 2);
    if (first || !same(entry.value, lastValue)) {
      worker = wstr(entry.value);
      known = workers.exists(worker);
      const auto found = byWorker.find(worker);
      owner = found == byWorker.end() ? nullptr : found->second;
      lastValue = entry.value;
      first = false;
      lastName = {};
    }
    if (owner && (lastName.data() == nullptr || !same(name, lastName))) {
      at = indexIn(owner->names, name);
      lastName = name;
    }
    const bool ownName = owner && at < owner->names.size();
    std::string_view tail = entry.key.substr(prefix.size());
    const bool star = tail.ends_with("/*");
    if (star) tail.remove_suffix(2);
    const size_t application = owner ? indexIn(owner->started, tail) : 0;
    // Mostly the line's own host alone needs its key: no lookup by name.
    if (ownName && owner->indexed && !owner->shared[at]) {
      owner->note(at, application, star, entry.value);
    } else {
      const auto [needing, end] = byName.equal_range(name);
      for (auto need = needing; need != end; ++need) {
        HostMounts* const mounts = need->second.first;
        mounts->note(need->second.second, indexIn(mounts->started, tail), star, entry.value);
      }
    }
    if (!known) {
      out.push_back({finding_kind::kMountUnknownWorker, display(wstr(name)),
                     L"The mount " + wstr(entry.key) + L" names the worker " + worker + L", which does not exist", file,
                     entry.line});
      continue;
    }
    if (!owner) continue;  // the worker's want of a Host is its own finding
    if (!ownName) {
      out.push_back({finding_kind::kMountForeignHost, owner->host->display,
                     L"The mount " + wstr(entry.key) + L" is for " + display(wstr(name)) +
                         L", which is not a name of the worker's host",
                     file, entry.line});
      continue;
    }
    // The panel's mounts are "/name/app" and "/name/app/*".
    const std::string_view app = tail;
    if (app.empty() || app.find('/') != std::string_view::npos) continue;
    if (application == owner->started.size()) {
      out.push_back(
          {finding_kind::kMountsOrphan, owner->host->display,
           L"The mount " + wstr(entry.key) + L" is for the application " + wstr(app) + L", which is not started", file,
           entry.line});
    }
  }

  // Keys of names that hold '/': looked up whole, the first line of each.
  std::unordered_map<std::string_view, std::string_view> present;
  for (HostMounts& mounts : hostMounts) {
    if (!mounts.host || !mounts.byWholeKeys || mounts.started.empty()) continue;
    if (present.empty()) {
      for (const PropertyEntry& entry : snapshot.mounts.entries) present.emplace(entry.key, entry.value);
    }
    std::vector<std::wstring> aliases;
    for (const NameAt& alias : mounts.host->aliases) aliases.push_back(alias.name);
    for (size_t i = 0; i < mounts.started.size(); ++i) {
      const std::vector<std::string> keys = webAppMountKeys(mounts.host->name, aliases, mounts.host->started[i]);
      for (size_t k = 0; k < keys.size(); ++k) {
        const auto found = present.find(keys[k]);
        mounts.keys[i * keys.size() + k] = found == present.end()           ? kNoLine
                                           : found->second == mounts.worker ? kHostsWorker
                                                                            : kOtherWorker;
      }
    }
  }

  for (const HostMounts& mounts : hostMounts) {
    if (!mounts.host) continue;
    const HostEntry& host = *mounts.host;
    for (size_t i = 0; i < mounts.started.size(); ++i) {
      size_t missing = 0;
      std::string example;
      for (size_t name = 0; name < mounts.names.size(); ++name) {
        for (const bool star : {false, true}) {
          if (mounts.keys[mounts.keyIndex(i, name, star)] == kHostsWorker) continue;
          if (missing++ == 0) example = "/" + mounts.names[name] + "/" + mounts.started[i] + (star ? "/*" : "");
        }
      }
      if (missing == 0) continue;
      out.push_back({finding_kind::kMountsMissing, host.display,
                     L"The started application " + host.started[i] + L" lacks " + std::to_wstring(missing) +
                         L" of its " + std::to_wstring(mounts.names.size() * 2) + L" mounts, " + wstr(example) +
                         L" first",
                     file, 0});
    }
  }
}
