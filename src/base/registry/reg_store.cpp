#include "base/registry/reg_store.h"

#include <algorithm>

#include "base/text/strings.h"

namespace wc {

namespace registry {

namespace {

// True when `key` is `path` itself or a key below it; every key of the root
// is below the empty path.
bool isSameOrBelow(std::wstring_view key, std::wstring_view path) {
  if (path.empty()) return true;
  if (key.size() == path.size()) return equalsIgnoreCase(key, path);
  return key.size() > path.size() && key[path.size()] == L'\\' && equalsIgnoreCase(key.substr(0, path.size()), path);
}

bool isBelow(std::wstring_view key, std::wstring_view path) {
  if (path.empty()) return !key.empty();
  return key.size() > path.size() && isSameOrBelow(key, path);
}

std::wstring_view parentOf(std::wstring_view path) {
  size_t slash = path.rfind(L'\\');
  return slash == std::wstring_view::npos ? std::wstring_view() : path.substr(0, slash);
}

}  // namespace

std::wstring rootName(Root root) { return root == Root::CurrentUser ? L"HKEY_CURRENT_USER" : L"HKEY_LOCAL_MACHINE"; }

std::optional<std::wstring> normalizedKeyPath(std::wstring_view path) {
  // An empty name anywhere, also before the one trailing separator allowed.
  if (path.find(L"\\\\") != std::wstring_view::npos) return std::nullopt;
  if (!path.empty() && path.back() == L'\\') path.remove_suffix(1);
  if (path.empty()) return std::wstring();
  if (path.front() == L'\\') return std::nullopt;
  for (wchar_t c : path) {
    if (c < 0x20 || c == 0x7F) return std::nullopt;
  }
  return std::wstring(path);
}

bool RegStore::keyExists(Root root, std::wstring_view path) const {
  if (path.empty()) return true;
  return std::any_of(keys_.begin(), keys_.end(),
                     [&](const RegKeyRecord& k) { return k.root == root && isSameOrBelow(k.path, path); });
}

const RegKeyRecord* RegStore::findKey(Root root, std::wstring_view path) const {
  for (const RegKeyRecord& k : keys_) {
    if (k.root == root && k.path.size() == path.size() && equalsIgnoreCase(k.path, path)) return &k;
  }
  return nullptr;
}

RegKeyRecord* RegStore::findKey(Root root, std::wstring_view path) {
  return const_cast<RegKeyRecord*>(static_cast<const RegStore*>(this)->findKey(root, path));
}

RegKeyRecord& RegStore::createKey(Root root, std::wstring_view path) {
  if (RegKeyRecord* existing = findKey(root, path)) return *existing;
  RegKeyRecord record{root, std::wstring(path), {}};

  // A key named only through its children goes right before the first of them.
  auto firstChild = std::find_if(keys_.begin(), keys_.end(),
                                 [&](const RegKeyRecord& k) { return k.root == root && isBelow(k.path, path); });
  if (firstChild != keys_.end()) return *keys_.insert(firstChild, std::move(record));

  // Otherwise after the last key of the nearest relative's tree.
  std::wstring_view ancestor = path;
  while (!ancestor.empty()) {
    ancestor = parentOf(ancestor);
    auto last = std::find_if(keys_.rbegin(), keys_.rend(),
                             [&](const RegKeyRecord& k) { return k.root == root && isSameOrBelow(k.path, ancestor); });
    if (last != keys_.rend()) return *keys_.insert(last.base(), std::move(record));
  }
  keys_.push_back(std::move(record));
  return keys_.back();
}

bool RegStore::deleteTree(Root root, std::wstring_view path) {
  if (!keyExists(root, path)) return false;
  std::wstring parent(parentOf(path));
  keys_.erase(std::remove_if(keys_.begin(), keys_.end(),
                             [&](const RegKeyRecord& k) { return k.root == root && isSameOrBelow(k.path, path); }),
              keys_.end());
  // Deleting a key never deletes its parent, even one that was implicit.
  if (!path.empty() && !parent.empty() && !keyExists(root, parent)) createKey(root, parent);
  return true;
}

std::vector<std::wstring> RegStore::subKeyNames(Root root, std::wstring_view path) const {
  std::vector<std::wstring> names;
  size_t start = path.empty() ? 0 : path.size() + 1;
  for (const RegKeyRecord& k : keys_) {
    if (k.root != root || !isBelow(k.path, path)) continue;
    std::wstring_view rest = std::wstring_view(k.path).substr(start);
    std::wstring name(rest.substr(0, rest.find(L'\\')));
    bool seen =
        std::any_of(names.begin(), names.end(), [&](const std::wstring& n) { return equalsIgnoreCase(n, name); });
    if (!seen) names.push_back(std::move(name));
  }
  return names;
}

void RegStore::apply(const std::vector<RegKeyEdit>& edits) {
  for (const RegKeyEdit& edit : edits) {
    if (edit.remove) {
      deleteTree(edit.root, edit.path);
      continue;
    }
    RegKeyRecord& key = createKey(edit.root, edit.path);
    for (const RegValueEdit& value : edit.values) {
      if (value.remove)
        deleteValue(key, value.name);
      else
        setValue(key, value.name, value.type, value.data);
    }
  }
}

const RegValue* RegStore::findValue(const RegKeyRecord& key, std::wstring_view name) {
  for (const RegValue& v : key.values) {
    if (v.name.size() == name.size() && equalsIgnoreCase(v.name, name)) return &v;
  }
  return nullptr;
}

void RegStore::setValue(RegKeyRecord& key, std::wstring_view name, uint32_t type, std::string data) {
  if (RegValue* existing = const_cast<RegValue*>(findValue(key, name))) {
    existing->type = type;
    existing->data = std::move(data);
    return;
  }
  key.values.push_back(RegValue{std::wstring(name), type, std::move(data)});
}

bool RegStore::deleteValue(RegKeyRecord& key, std::wstring_view name) {
  auto it = std::find_if(key.values.begin(), key.values.end(), [&](const RegValue& v) {
    return v.name.size() == name.size() && equalsIgnoreCase(v.name, name);
  });
  if (it == key.values.end()) return false;
  key.values.erase(it);
  return true;
}

}  // namespace registry

}  // namespace wc
