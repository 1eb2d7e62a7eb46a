// URL mounts: every mount names a worker that exists, under a name of the
// worker's host, for an application that is started; every started
// application has the mounts --start-webapp writes for the host and each of
// its aliases.
//
// The file has a dozen lines per host and application: each line is looked
// at once, as the file is read in pieces, and the keys a started application
// needs are not built unless one is missing.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <span>
#include <unordered_map>

#include "base/errors/strict_convert.h"
#include "check/check_rules.h"
#include "check/text_tables.h"
#include "check/worker_table.h"
#include "panel/mount_keys.h"
#include "panel/worker_keys.h"
#include "redirector/redirector_names.h"

namespace wc {

namespace {

// Where `text` is in `list`, or the list's size. The lists are a host's few
// names and applications.
size_t indexIn(std::span<const std::string_view> list, std::string_view text) {
  size_t i = 0;
  while (i < list.size() && !sameText(list[i], text)) ++i;
  return i;
}

// What the first line of a mount key names.
enum KeyState : uint8_t { kNoLine, kHostsWorker, kOtherWorker };

// A host with the mounts of its started applications, in the file's forms.
// Its texts are in the rule's arena; its lists are ranges of the rule's
// tables, which are sized once.
struct HostMounts {
  const HostEntry* host = nullptr;
  std::string_view worker;                    // its worker's name
  std::span<const std::string_view> names;    // its mount names: the host's, then each alias's (webAppMountKeys' order)
  size_t firstName = 0;                       // where `names` starts in the table of all names
  std::span<const std::string_view> started;  // its started applications
  // Per application, per name, "/name/app" then "/name/app/*": what the
  // first line of that key names.
  std::span<KeyState> keys;
  // A name holds '/', so its keys cannot be told from a line's first
  // segment: they are looked up whole.
  bool byWholeKeys = false;
  // In the index of names (it has started applications and no such name).
  bool indexed = false;

  size_t keyIndex(size_t application, size_t name, bool star) const {
    return (application * names.size() + name) * 2 + (star ? 1 : 0);
  }

  // A line of a key of this host's (`application` indexes `started`): the
  // first line of each key decides, as the redirector takes the first.
  void note(size_t name, size_t application, bool star, bool hostsWorker) {
    if (application >= started.size()) return;
    KeyState& state = keys[keyIndex(application, name, star)];
    if (state == kNoLine) state = hostsWorker ? kHostsWorker : kOtherWorker;
  }
};

}  // namespace

void checkMounts(const PanelSnapshot& snapshot, const WorkerTable& workers, std::vector<Finding>& out) {
  const std::wstring& file = snapshot.where.uriWorkerMap;
  // The tables, sized for every host at once: the spans into them hold.
  size_t asciiSize = 0;
  size_t nameCount = 0;
  size_t startedCount = 0;
  size_t keyCount = 0;
  for (const HostEntry& host : snapshot.hosts) {
    const size_t names = 1 + host.aliases.size();
    asciiSize += 2 * host.name.size();
    for (const NameAt& alias : host.aliases) asciiSize += alias.key().size();
    for (const std::wstring& application : host.started) asciiSize += application.size();
    nameCount += names;
    startedCount += host.started.size();
    keyCount += host.started.size() * names * 2;
  }
  TextArena arena(asciiSize);
  std::vector<std::string_view> allNames;
  allNames.reserve(nameCount);
  std::vector<std::string_view> allStarted;
  allStarted.reserve(startedCount);
  std::vector<KeyState> allKeys(keyCount, kNoLine);

  // Per host; the first Host of a worker only, a second one of that name is
  // reported as such.
  std::vector<HostMounts> hostMounts(snapshot.hosts.size());
  std::vector<std::string_view> workerNames(snapshot.hosts.size());
  TextIndex byWorker(workerNames);
  size_t keysUsed = 0;
  for (size_t h = 0; h < snapshot.hosts.size(); ++h) {
    const HostEntry& host = snapshot.hosts[h];
    HostMounts& mounts = hostMounts[h];
    const std::wstring worker = workerName(host.name);
    workerNames[h] = arena.form(worker, [&worker] { return cstr(worker); });
    if (!byWorker.add(static_cast<uint32_t>(h))) continue;
    mounts.host = &host;
    mounts.worker = workerNames[h];
    // mountName() of each name: an ASCII key is the name lower-cased already.
    mounts.firstName = allNames.size();
    allNames.push_back(arena.form(host.key(), [&host] { return mountName(host.name); }));
    for (const NameAt& alias : host.aliases)
      allNames.push_back(arena.form(alias.key(), [&alias] { return mountName(alias.name); }));
    mounts.names = std::span(allNames).subspan(mounts.firstName);
    const size_t firstStarted = allStarted.size();
    for (const std::wstring& application : host.started)
      allStarted.push_back(arena.form(application, [&application] { return cstr(application); }));
    mounts.started = std::span(allStarted).subspan(firstStarted);
    mounts.keys = std::span(allKeys).subspan(keysUsed, mounts.started.size() * mounts.names.size() * 2);
    keysUsed += mounts.keys.size();
    mounts.byWholeKeys = std::any_of(mounts.names.begin(), mounts.names.end(),
                                     [](std::string_view name) { return name.find('/') != std::string::npos; });
    mounts.indexed = !mounts.started.empty() && !mounts.byWholeKeys;
  }
  // The names of the indexed hosts; per name, whether another host, or this
  // one twice, needs it as well.
  std::vector<uint32_t> hostOfName(allNames.size());
  TextIndex byName(allNames);
  std::vector<uint8_t> shared(allNames.size());
  for (size_t h = 0; h < hostMounts.size(); ++h) {
    const HostMounts& mounts = hostMounts[h];
    if (!mounts.indexed) continue;
    for (size_t i = mounts.firstName; i < mounts.firstName + mounts.names.size(); ++i) {
      hostOfName[i] = static_cast<uint32_t>(h);
      if (byName.add(static_cast<uint32_t>(i))) continue;
      for (uint32_t same = byName.find(allNames[i]); same != TextIndex::kNone; same = byName.next(same))
        shared[same] = true;
    }
  }

  // The lines of one worker stand together: its name is converted and
  // looked up once per run of lines. Likewise the lines of a name
  // ("/name/app", "/name/app/*"), mostly the name after the last one, and
  // those of an application.
  std::string_view lastValue;
  HostMounts* owner = nullptr;
  bool known = false;
  bool first = true;
  std::wstring worker;
  std::string_view lastName;  // of the mount line before
  size_t at = 0;              // where it is in the owner's names
  bool atKnown = false;
  std::string_view lastApplication;
  size_t application = 0;
  snapshot.mounts.forEachEntry([&](const PropertyEntry& entry) {
    // The name part of the key, "/name/" (mountNameOf), mostly that of the
    // line before: names hold no '/'.
    const std::string_view key = entry.key;
    size_t nameEnd = lastName.size() + 1;
    const bool sameName = key.size() > nameEnd && key[0] == '/' && key[nameEnd] == '/' &&
                          sameText(key.substr(1, lastName.size()), lastName);
    if (!sameName) {
      if (key.size() < 2 || key[0] != '/') return;
      const void* slash = std::memchr(key.data() + 1, '/', key.size() - 1);
      if (!slash) return;
      nameEnd = static_cast<size_t>(static_cast<const char*>(slash) - key.data());
    }
    const std::string_view name = key.substr(1, nameEnd - 1);
    lastName = name;
    if (first || !sameText(entry.value, lastValue)) {
      worker = wideOf(entry.value);
      known = workers.exists(worker);
      const uint32_t found = byWorker.find(entry.value);
      owner = found == TextIndex::kNone ? nullptr : &hostMounts[found];
      lastValue = entry.value;
      first = false;
      at = SIZE_MAX;
      atKnown = false;
      lastApplication = {};
    }
    if (owner && (!atKnown || !sameName)) {
      at = at + 1 < owner->names.size() && sameText(owner->names[at + 1], name) ? at + 1 : indexIn(owner->names, name);
      atKnown = true;
    }
    const bool ownName = owner && at < owner->names.size();
    std::string_view tail = key.substr(nameEnd + 1);
    const bool star = tail.ends_with("/*");
    if (star) tail.remove_suffix(2);
    if (owner && (lastApplication.data() == nullptr || !sameText(tail, lastApplication))) {
      application = indexIn(owner->started, tail);
      lastApplication = tail;
    }
    // Mostly the line's own host alone needs its key: no lookup by name.
    if (ownName && owner->indexed && !shared[owner->firstName + at]) {
      owner->note(at, application, star, true);
    } else {
      for (uint32_t need = byName.find(name); need != TextIndex::kNone; need = byName.next(need)) {
        HostMounts& mounts = hostMounts[hostOfName[need]];
        mounts.note(need - mounts.firstName, indexIn(mounts.started, tail), star, sameText(entry.value, mounts.worker));
      }
    }
    if (!known) {
      out.push_back({finding_kind::kMountUnknownWorker,
                     shownName(wstr(name)),
                     L"The mount " + wstr(entry.key) + L" names the worker " + worker + L", which does not exist",
                     file,
                     entry.line,
                     {.entry = KeptEntry(entry)}});
      return;
    }
    if (!owner) return;  // the worker's want of a Host is its own finding
    if (!ownName) {
      out.push_back({finding_kind::kMountForeignHost,
                     owner->host->display(),
                     L"The mount " + wstr(entry.key) + L" is for " + shownName(wstr(name)) +
                         L", which is not a name of the worker's host",
                     file,
                     entry.line,
                     {.host = owner->host, .entry = KeptEntry(entry)}});
      return;
    }
    if (application != owner->started.size()) return;
    // The panel's mounts are "/name/app" and "/name/app/*".
    const std::string_view app = tail;
    if (app.empty() || app.find('/') != std::string_view::npos) return;
    out.push_back(
        {finding_kind::kMountsOrphan,
         owner->host->display(),
         L"The mount " + wstr(entry.key) + L" is for the application " + wstr(app) + L", which is not started",
         file,
         entry.line,
         {.host = owner->host, .entry = KeptEntry(entry)}});
  });

  // Keys of names that hold '/': looked up whole in one more reading, the
  // first line of each deciding the states that wait for it.
  struct WaitingState {
    KeyState* state;
    std::string_view worker;  // its host's
  };
  std::deque<std::string> wholeKeys;  // the texts the index views
  std::unordered_map<std::string_view, std::vector<WaitingState>> waiting;
  for (HostMounts& mounts : hostMounts) {
    if (!mounts.host || !mounts.byWholeKeys || mounts.started.empty()) continue;
    std::vector<std::wstring> aliases;
    for (const NameAt& alias : mounts.host->aliases) aliases.push_back(alias.name);
    for (size_t i = 0; i < mounts.started.size(); ++i) {
      std::vector<std::string> keys = webAppMountKeys(mounts.host->name, aliases, mounts.host->started[i]);
      for (size_t k = 0; k < keys.size(); ++k) {
        const std::string& key = wholeKeys.emplace_back(std::move(keys[k]));
        waiting[key].push_back({&mounts.keys[i * keys.size() + k], mounts.worker});
      }
    }
  }
  if (!waiting.empty()) {
    snapshot.mounts.forEachEntry([&waiting](const PropertyEntry& entry) {
      const auto found = waiting.find(entry.key);
      if (found == waiting.end()) return;
      for (const WaitingState& wait : found->second) {
        if (*wait.state == kNoLine) *wait.state = entry.value == wait.worker ? kHostsWorker : kOtherWorker;
      }
    });
  }

  for (const HostMounts& mounts : hostMounts) {
    if (!mounts.host) continue;
    const HostEntry& host = *mounts.host;
    const size_t perApplication = mounts.names.size() * 2;
    for (size_t i = 0; i < mounts.started.size(); ++i) {
      const auto keys = mounts.keys.subspan(i * perApplication, perApplication);
      if (std::all_of(keys.begin(), keys.end(), [](KeyState state) { return state == kHostsWorker; })) continue;
      size_t missing = 0;
      std::string example;
      for (size_t name = 0; name < mounts.names.size(); ++name) {
        for (const bool star : {false, true}) {
          if (mounts.keys[mounts.keyIndex(i, name, star)] == kHostsWorker) continue;
          if (missing++ == 0)
            example.append("/")
                .append(mounts.names[name])
                .append("/")
                .append(mounts.started[i])
                .append(star ? "/*" : "");
        }
      }
      if (missing == 0) continue;
      out.push_back({finding_kind::kMountsMissing,
                     host.display(),
                     L"The started application " + host.started[i] + L" lacks " + std::to_wstring(missing) +
                         L" of its " + std::to_wstring(mounts.names.size() * 2) + L" mounts, " + wstr(example) +
                         L" first",
                     file,
                     0,
                     {.host = &host, .application = host.started[i]}});
    }
  }
}

}  // namespace wc
