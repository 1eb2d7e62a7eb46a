#include "redirector/isapi_redirector_config.h"

#include <array>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "base/errors/strict_convert.h"
#include "base/files/file_exist.h"
#include "panel/mount_keys.h"
#include "panel/worker_keys.h"
#include "redirector/comma_list.h"
#include "redirector/pending_keys.h"
#include "redirector/property_file.h"
#include "redirector/redirector_names.h"

namespace wc {

namespace {

constexpr const char* kWorkerList = kWorkerListKey;
constexpr const char* kWorkerHost = kWorkerHostValue;

bool keyStartsWith(std::string_view key, std::string_view prefix) { return key.substr(0, prefix.size()) == prefix; }

// Walks the lines of workers.properties an edit of one worker looks at: the
// list and the worker's own keys ("worker.<name>." + suffix).
template <class Edit>
void walkWorkerLines(PropertyFile& file, const std::string& workerPrefix, Edit&& edit) {
  file.walkKeysStartingWith(
      {kWorkerList, workerPrefix},
      [&workerPrefix](std::string_view key) { return key == kWorkerList || keyStartsWith(key, workerPrefix); }, edit);
}

void checkAliases(const std::vector<std::wstring>& aliases, const char* function) {
  for (const std::wstring& alias : aliases) checkRedirectorName(RedirectorName::Alias, alias, function);
}

// Points the first line of each pending key at the worker, in place, and
// appends the keys no line had.
void setMounts(PropertyFile& file, PendingKeys& pending, const std::string& worker) {
  std::vector<std::string_view> keys;
  pending.forEachPending([&keys](const std::string& key, size_t) { keys.push_back(key); });
  // A line with a pending key begins with it.
  file.walkKeysStartingWith(
      keys, [&](std::string_view key) { return pending.isPending(key); },
      [&](PropertyLine& line) {
        pending.take(line.key);
        line.value = worker;
        return LineEdit::Store;
      });
  pending.forEachPending([&](const std::string& key, size_t) { file.append(PropertyLine(key, worker)); });
}

}  // namespace

IsapiRedirectorConfig::IsapiRedirectorConfig(const Context& context, std::wstring workersPropertiesPath,
                                             std::wstring uriWorkerMapPath)
    : context_(context),
      workersPath_(std::move(workersPropertiesPath)),
      uriWorkerMapPath_(std::move(uriWorkerMapPath)) {}

IsapiRedirectorConfig::~IsapiRedirectorConfig() = default;
IsapiRedirectorConfig::IsapiRedirectorConfig(IsapiRedirectorConfig&&) noexcept = default;

void IsapiRedirectorConfig::holdSaves() { holding_ = true; }

void IsapiRedirectorConfig::saveHeldEdits() {
  holding_ = false;
  for (const std::wstring* path : {&workersPath_, &uriWorkerMapPath_}) {
    HeldFile& held = heldFile(*path);
    if (held.file && held.changed) held.file->save(context_, *path);
    held = {};
  }
}

IsapiRedirectorConfig::HeldFile& IsapiRedirectorConfig::heldFile(const std::wstring& path) {
  return path == workersPath_ ? workers_ : uriWorkerMap_;
}

PropertyFile& IsapiRedirectorConfig::load(const std::wstring& path) {
  HeldFile& held = heldFile(path);
  if (!holding_ || !held.file) {
    // A fresh object: the lines of an earlier load view buffers of their own.
    held.file = std::make_unique<PropertyFile>();
    held.changed = false;
    held.file->load(path);
  }
  return *held.file;
}

void IsapiRedirectorConfig::save(const std::wstring& path) {
  HeldFile& held = heldFile(path);
  held.changed = true;
  if (holding_) return;
  held.file->save(context_, path);
  held = {};
}

void IsapiRedirectorConfig::addWorker(const std::wstring& hostName) {
  constexpr const char* kFunction = "IsapiRedirectorConfig::addWorker";
  checkRedirectorName(RedirectorName::Host, hostName, kFunction);
  const std::wstring worker = workerName(hostName);
  const std::string ansiWorker = cstr(worker);

  // Handled in this order (the list, then the worker's keys); only the first
  // line with each key is touched.
  enum : size_t { List };
  const auto keyLines = workerKeyLines(ansiWorker);
  PendingKeys pending;
  pending.add(kWorkerList);
  for (const auto& [key, value] : keyLines) pending.add(key);

  const std::string workerPrefix = workerKey(ansiWorker, ".");
  PropertyFile& file = load(workersPath_);
  walkWorkerLines(file, workerPrefix, [&](PropertyLine& line) {
    const std::optional<size_t> which = pending.take(line.key);
    if (!which) return LineEdit::Keep;
    line.value = *which == List ? addListItem(line.value, worker) : keyLines[*which - 1].second;
    return LineEdit::Store;
  });
  pending.forEachPending([&](const std::string& key, size_t which) {
    // A list that was missing names the new worker alone.
    file.append(PropertyLine(key, which == List ? ansiWorker : keyLines[which - 1].second));
  });
  save(workersPath_);
}

void IsapiRedirectorConfig::removeWorker(const std::wstring& hostName) {
  constexpr const char* kFunction = "IsapiRedirectorConfig::removeWorker";
  checkRedirectorName(RedirectorName::Host, hostName, kFunction);
  if (!fileExist(context_, workersPath_)) return;
  const std::wstring worker = workerName(hostName);
  const std::string ansiWorker = cstr(worker);
  const auto workerKeys = workerKeyLines(ansiWorker);

  const std::string workerPrefix = workerKey(ansiWorker, ".");
  PropertyFile& file = load(workersPath_);
  walkWorkerLines(file, workerPrefix, [&](PropertyLine& line) {
    if (line.key == kWorkerList) {
      line.value = removeListItem(line.value, worker);
      return LineEdit::Store;
    }
    for (const auto& [key, value] : workerKeys) {
      if (line.key == key) return LineEdit::Erase;
    }
    return LineEdit::Keep;
  });
  save(workersPath_);
}

void IsapiRedirectorConfig::renameWorker(const std::wstring& oldWorker, const std::wstring& newWorker) {
  constexpr const char* kFunction = "IsapiRedirectorConfig::renameWorker";
  checkRedirectorName(RedirectorName::Worker, oldWorker, kFunction);
  checkRedirectorName(RedirectorName::Worker, newWorker, kFunction);
  const std::string oldAnsi = cstr(oldWorker);
  const std::string newAnsi = cstr(newWorker);
  // Old key and new key; the host line also gets the local address again.
  const std::array<std::pair<std::string, std::string>, 3> kept = {{
      {workerKey(oldAnsi, ".port"), workerKey(newAnsi, ".port")},
      {workerKey(oldAnsi, ".type"), workerKey(newAnsi, ".type")},
      {workerKey(oldAnsi, ".lbfactor"), workerKey(newAnsi, ".lbfactor")},
  }};
  const std::string oldHostKey = workerKey(oldAnsi, ".host");
  const std::string newHostKey = workerKey(newAnsi, ".host");

  const std::string oldPrefix = workerKey(oldAnsi, ".");
  PropertyFile& file = load(workersPath_);
  walkWorkerLines(file, oldPrefix, [&](PropertyLine& line) {
    if (line.key == kWorkerList) {
      line.value = replaceListItem(line.value, oldWorker, newWorker);
      return LineEdit::Store;
    }
    if (line.key == oldHostKey) {
      line.key = newHostKey;
      line.value = kWorkerHost;
      return LineEdit::Store;
    }
    for (const auto& [from, to] : kept) {
      if (line.key == from) {
        line.key = to;
        return LineEdit::Store;
      }
    }
    return LineEdit::Keep;
  });
  save(workersPath_);
}

void IsapiRedirectorConfig::addWebAppMounts(const std::wstring& hostName, const std::vector<std::wstring>& aliases,
                                            const std::wstring& appName) {
  constexpr const char* kFunction = "IsapiRedirectorConfig::addWebAppMounts";
  checkRedirectorName(RedirectorName::Host, hostName, kFunction);
  checkAliases(aliases, kFunction);
  checkRedirectorName(RedirectorName::WebApp, appName, kFunction);
  const std::string worker = cstr(workerName(hostName));
  PendingKeys pending;
  for (std::string& key : webAppMountKeys(hostName, aliases, appName)) pending.add(std::move(key));

  PropertyFile& file = load(uriWorkerMapPath_);
  setMounts(file, pending, worker);
  save(uriWorkerMapPath_);
}

void IsapiRedirectorConfig::removeWebAppMounts(const std::wstring& hostName, const std::vector<std::wstring>& aliases,
                                               const std::wstring& appName) {
  constexpr const char* kFunction = "IsapiRedirectorConfig::removeWebAppMounts";
  checkRedirectorName(RedirectorName::Host, hostName, kFunction);
  checkAliases(aliases, kFunction);
  checkRedirectorName(RedirectorName::WebApp, appName, kFunction);
  removeMounts(webAppMountKeys(hostName, aliases, appName));
}

void IsapiRedirectorConfig::addAliasMounts(const std::wstring& hostName, const std::vector<std::wstring>& aliases) {
  constexpr const char* kFunction = "IsapiRedirectorConfig::addAliasMounts";
  checkRedirectorName(RedirectorName::Host, hostName, kFunction);
  checkAliases(aliases, kFunction);
  const std::string hostPrefix = mountPrefix(hostName);
  std::vector<std::string> aliasPrefixes;
  for (const std::wstring& alias : aliases) aliasPrefixes.push_back(mountPrefix(alias));

  PropertyFile& file = load(uriWorkerMapPath_);
  // The result is that of one edit per alias, in order. One reading of the
  // host's mounts serves the aliases up to one that is the host itself: its
  // edit rewrites the host's own lines (a line whose value becomes empty is
  // then its key alone, no key at all), and the aliases after it read them anew.
  for (auto alias = aliasPrefixes.begin(); alias != aliasPrefixes.end();) {
    std::vector<std::string> hostKeys;
    std::string worker;
    file.walkKeysStartingWith(
        {hostPrefix}, [](std::string_view) { return true; },
        [&](PropertyLine& line) {
          hostKeys.push_back(line.key.substr(hostPrefix.size()));
          if (worker.empty()) worker = line.value;
          return LineEdit::Keep;
        });
    PendingKeys pending;
    bool hostRewritten = false;
    for (; alias != aliasPrefixes.end() && !hostRewritten; ++alias) {
      for (const std::string& key : hostKeys) pending.add(*alias + key);
      hostRewritten = *alias == hostPrefix;
    }
    setMounts(file, pending, worker);
  }
  save(uriWorkerMapPath_);
}

void IsapiRedirectorConfig::removeMounts(const std::vector<std::string>& keys) {
  if (!fileExist(context_, uriWorkerMapPath_)) return;
  const std::unordered_set<std::string_view> wanted(keys.begin(), keys.end());
  PropertyFile& file = load(uriWorkerMapPath_);
  file.walkKeysStartingWith(
      std::vector<std::string_view>(keys.begin(), keys.end()),
      [&](std::string_view key) { return wanted.count(key) != 0; }, [](PropertyLine&) { return LineEdit::Erase; });
  save(uriWorkerMapPath_);
}

void IsapiRedirectorConfig::removeMountLines(const std::vector<MountLine>& lines) {
  if (!fileExist(context_, uriWorkerMapPath_)) return;
  std::unordered_multimap<std::string_view, std::string_view> wanted;
  std::vector<std::string_view> keys;
  for (const MountLine& line : lines) {
    wanted.emplace(line.key, line.worker);
    keys.push_back(line.key);
  }
  PropertyFile& file = load(uriWorkerMapPath_);
  file.walkKeysStartingWith(
      keys, [&](std::string_view key) { return wanted.count(key) != 0; },
      [&](PropertyLine& line) {
        const auto [first, last] = wanted.equal_range(line.key);
        for (auto it = first; it != last; ++it) {
          if (it->second == line.value) return LineEdit::Erase;
        }
        return LineEdit::Keep;
      });
  save(uriWorkerMapPath_);
}

void IsapiRedirectorConfig::removeAliasMounts(const std::vector<std::wstring>& aliases) {
  constexpr const char* kFunction = "IsapiRedirectorConfig::removeAliasMounts";
  checkAliases(aliases, kFunction);
  if (!fileExist(context_, uriWorkerMapPath_)) return;
  std::vector<std::string> prefixList;
  for (const std::wstring& alias : aliases) prefixList.push_back(mountPrefix(alias));

  PropertyFile& file = load(uriWorkerMapPath_);
  file.walkKeysStartingWith(
      std::vector<std::string_view>(prefixList.begin(), prefixList.end()), [](std::string_view) { return true; },
      [](PropertyLine&) { return LineEdit::Erase; });
  save(uriWorkerMapPath_);
}

void IsapiRedirectorConfig::renameHostMounts(const std::wstring& oldHostName,
                                             const std::vector<std::wstring>& oldAliases,
                                             const std::wstring& newHostName,
                                             const std::vector<std::wstring>& newAliases,
                                             const std::wstring& newWorker) {
  constexpr const char* kFunction = "IsapiRedirectorConfig::renameHostMounts";
  checkRedirectorName(RedirectorName::Host, oldHostName, kFunction);
  checkAliases(oldAliases, kFunction);
  checkRedirectorName(RedirectorName::Host, newHostName, kFunction);
  checkAliases(newAliases, kFunction);
  checkRedirectorName(RedirectorName::Worker, newWorker, kFunction);

  // One lookup of a mount key's name part finds whether it belongs to an
  // old name.
  const std::string hostPrefix = mountPrefix(oldHostName);
  std::vector<std::string> aliasPrefixList;
  for (const std::wstring& alias : oldAliases) aliasPrefixList.push_back(mountPrefix(alias));
  const std::unordered_set<std::string_view> aliasPrefixes(aliasPrefixList.begin(), aliasPrefixList.end());
  std::vector<std::string> newNames;
  newNames.reserve(newAliases.size() + 1);
  newNames.push_back(mountName(newHostName));
  for (const std::wstring& alias : newAliases) newNames.push_back(mountName(alias));
  const std::string worker = cstr(newWorker);

  PropertyFile& file = load(uriWorkerMapPath_);
  // Only the host's own mounts move; mounts under its old aliases are dropped.
  std::vector<std::string_view> prefixes(aliasPrefixList.begin(), aliasPrefixList.end());
  prefixes.push_back(hostPrefix);
  std::vector<std::string> suffixes;
  file.walkKeysStartingWith(
      prefixes,
      [&](std::string_view key) {
        return keyStartsWith(key, hostPrefix) || (!aliasPrefixes.empty() && aliasPrefixes.count(mountNameOf(key)));
      },
      [&](PropertyLine& line) {
        if (keyStartsWith(line.key, hostPrefix)) suffixes.push_back(line.key.substr(hostPrefix.size()));
        return LineEdit::Erase;
      });
  for (const std::string& name : newNames) {
    for (const std::string& suffix : suffixes) file.append(PropertyLine("/" + name + "/" + suffix, worker));
  }
  save(uriWorkerMapPath_);
}

}  // namespace wc
