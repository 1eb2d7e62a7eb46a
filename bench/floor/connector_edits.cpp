#include "floor/connector_edits.h"

#include <algorithm>

#include "common/concat.h"
#include "floor/property_file.h"

namespace floorwork {

namespace {

std::string keyValue(std::string_view key, std::string_view value) {
  std::string line(key);
  if (!value.empty()) {
    line += '=';
    line += value;
  }
  return line;
}

std::vector<std::string> mountKeys(const std::string& host, const std::vector<std::string>& names,
                                   const std::string& application) {
  std::vector<std::string> keys;
  auto addPair = [&](const std::string& name) {
    keys.push_back(bench::concat("/", lowerAscii(name), "/", application));
    keys.push_back(keys.back() + "/*");
  };
  addPair(host);
  for (const std::string& name : names) addPair(name);
  return keys;
}

// Sets the value of the first line of each pending key and appends the keys
// that no line has.
void setOrAppend(PropertyFile& file, std::vector<std::string> pending, const std::string& value) {
  for (std::string_view& line : file.lines()) {
    if (pending.empty()) break;
    auto found = std::find(pending.begin(), pending.end(), keyOf(line));
    if (found == pending.end()) continue;
    line = file.own(keyValue(*found, value));
    pending.erase(found);
  }
  for (const std::string& key : pending) file.lines().push_back(file.own(keyValue(key, value)));
}

}  // namespace

std::string lowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string workerNameOf(const std::string& host) {
  std::string name = host;
  std::replace(name.begin(), name.end(), '.', '_');
  return name;
}

std::vector<std::string> addWwwTwins(const std::string& host, const std::vector<std::string>& aliases) {
  std::vector<std::string> names{"www." + host};
  for (const std::string& alias : aliases) {
    names.push_back(alias);
    names.push_back("www." + alias);
  }
  return names;
}

void addWorker(const std::string& workersPath, const std::string& host) {
  const std::string w = workerNameOf(host);
  const std::string keys[] = {"worker.list", "worker." + w + ".port", "worker." + w + ".host", "worker." + w + ".type",
                              "worker." + w + ".lbfactor"};
  const std::string values[] = {"", "9008", "127.0.0.1", "ajp13", "1"};
  bool met[5] = {};
  PropertyFile file = PropertyFile::load(workersPath);
  for (std::string_view& line : file.lines()) {
    std::string_view key = keyOf(line);
    for (int i = 0; i < 5; ++i) {
      if (met[i] || key != keys[i]) continue;
      met[i] = true;
      line = file.own(keyValue(key, i == 0 ? addListItem(valueOf(line), w) : values[i]));
      break;
    }
  }
  for (int i = 0; i < 5; ++i) {
    if (!met[i]) file.lines().push_back(file.own(keyValue(keys[i], i == 0 ? w : values[i])));
  }
  file.save(workersPath);
}

void renameWorker(const std::string& workersPath, const std::string& oldWorker, const std::string& newWorker) {
  const std::string oldPrefix = "worker." + oldWorker + ".";
  PropertyFile file = PropertyFile::load(workersPath);
  for (std::string_view& line : file.lines()) {
    std::string_view key = keyOf(line);
    if (key == "worker.list") {
      line = file.own(keyValue(key, replaceListItem(valueOf(line), oldWorker, newWorker)));
    } else if (key.size() > oldPrefix.size() && key.substr(0, oldPrefix.size()) == oldPrefix) {
      std::string_view property = key.substr(oldPrefix.size());
      if (property == "port" || property == "type" || property == "lbfactor") {
        line = file.own(keyValue("worker." + newWorker + "." + std::string(property), valueOf(line)));
      } else if (property == "host") {
        line = file.own(keyValue("worker." + newWorker + ".host", "127.0.0.1"));
      }
    }
  }
  file.save(workersPath);
}

void addWebAppMounts(const std::string& mapPath, const std::string& host, const std::vector<std::string>& names,
                     const std::string& application) {
  PropertyFile file = PropertyFile::load(mapPath);
  setOrAppend(file, mountKeys(host, names, application), workerNameOf(host));
  file.save(mapPath);
}

void removeWebAppMounts(const std::string& mapPath, const std::string& host, const std::vector<std::string>& names,
                        const std::string& application) {
  if (!fileExists(mapPath)) return;
  const std::vector<std::string> keys = mountKeys(host, names, application);
  PropertyFile file = PropertyFile::load(mapPath);
  std::erase_if(file.lines(),
                [&](std::string_view line) { return std::find(keys.begin(), keys.end(), keyOf(line)) != keys.end(); });
  file.save(mapPath);
}

void addAliasMounts(const std::string& mapPath, const std::string& host, const std::vector<std::string>& aliases) {
  const std::string hostPrefix = bench::concat("/", lowerAscii(host), "/");
  PropertyFile file = PropertyFile::load(mapPath);
  std::vector<std::string> suffixes;
  std::string worker;
  for (std::string_view line : file.lines()) {
    std::string_view key = keyOf(line);
    if (key.substr(0, hostPrefix.size()) != hostPrefix) continue;
    suffixes.emplace_back(key.substr(hostPrefix.size()));
    if (worker.empty()) worker = valueOf(line);
  }
  std::vector<std::string> pending;
  for (const std::string& alias : aliases) {
    const std::string aliasPrefix = bench::concat("/", lowerAscii(alias), "/");
    for (const std::string& suffix : suffixes) pending.push_back(aliasPrefix + suffix);
  }
  setOrAppend(file, pending, worker);
  file.save(mapPath);
}

void removeAliasMounts(const std::string& mapPath, const std::vector<std::string>& aliases) {
  if (!fileExists(mapPath)) return;
  std::vector<std::string> prefixes;
  for (const std::string& alias : aliases) prefixes.push_back(bench::concat("/", lowerAscii(alias), "/"));
  PropertyFile file = PropertyFile::load(mapPath);
  std::erase_if(file.lines(), [&](std::string_view line) {
    std::string_view key = keyOf(line);
    return std::any_of(prefixes.begin(), prefixes.end(),
                       [key](const std::string& prefix) { return key.substr(0, prefix.size()) == prefix; });
  });
  file.save(mapPath);
}

void renameHostMounts(const std::string& mapPath, const std::string& oldHost, const std::vector<std::string>& oldNames,
                      const std::string& newHost, const std::vector<std::string>& newNames,
                      const std::string& newWorker) {
  std::vector<std::string> oldPrefixes{bench::concat("/", lowerAscii(oldHost), "/")};
  for (const std::string& name : oldNames) oldPrefixes.push_back(bench::concat("/", lowerAscii(name), "/"));
  PropertyFile file = PropertyFile::load(mapPath);
  std::vector<std::string> suffixes;
  std::erase_if(file.lines(), [&](std::string_view line) {
    std::string_view key = keyOf(line);
    for (size_t i = 0; i < oldPrefixes.size(); ++i) {
      if (key.substr(0, oldPrefixes[i].size()) != oldPrefixes[i]) continue;
      if (oldPrefixes[i] == oldPrefixes.front()) suffixes.emplace_back(key.substr(oldPrefixes[i].size()));
      return true;
    }
    return false;
  });
  std::vector<std::string> names{lowerAscii(newHost)};
  for (const std::string& name : newNames) names.push_back(lowerAscii(name));
  for (const std::string& name : names) {
    for (const std::string& suffix : suffixes) {
      file.lines().push_back(file.own(keyValue("/" + name + "/" + suffix, newWorker)));
    }
  }
  file.save(mapPath);
}

}  // namespace floorwork
