#pragma once
// The settings store in memory: keys in the order of the settings file, each
// with its values in order. Key and value names compare ignoring letter case
// and keep the spelling they were created with. A key exists when it is named
// itself or when a key below it is named (its parents exist implicitly).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/registry/registry.h"

namespace wc {

namespace registry {

struct RegValue {
  std::wstring name;  // empty for the key's unnamed (default) value
  uint32_t type = REG_NONE;
  std::string data;  // the raw bytes (see value_data.h)
};

struct RegKeyRecord {
  Root root = Root::LocalMachine;
  std::wstring path;  // below the root, components joined by '\', no outer '\'
  std::vector<RegValue> values;
};

// One change read from an import file: a key deletion, or a key to create
// with values to set or delete.
struct RegValueEdit {
  std::wstring name;
  bool remove = false;
  uint32_t type = REG_NONE;
  std::string data;
};
struct RegKeyEdit {
  Root root = Root::LocalMachine;
  std::wstring path;
  bool remove = false;
  std::vector<RegValueEdit> values;
};

// "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER".
std::wstring rootName(Root root);

// The path without a trailing '\'; nothing when it starts with '\', has an
// empty component or holds a control character.
std::optional<std::wstring> normalizedKeyPath(std::wstring_view path);

class RegStore {
 public:
  const std::vector<RegKeyRecord>& keys() const { return keys_; }
  bool empty() const { return keys_.empty(); }

  // The root itself (empty path) always exists.
  bool keyExists(Root root, std::wstring_view path) const;
  // The record of a key that is named itself; null for implicit keys.
  const RegKeyRecord* findKey(Root root, std::wstring_view path) const;
  RegKeyRecord* findKey(Root root, std::wstring_view path);
  // The key's record, made when missing: next to its relatives, so that a
  // tree stays together in the file.
  RegKeyRecord& createKey(Root root, std::wstring_view path);
  // Removes the key and everything below it; false when there was no such key.
  // The parent stays (as a named key if nothing else names it).
  bool deleteTree(Root root, std::wstring_view path);
  // Names of the direct subkeys, in store order, spelled as first named.
  std::vector<std::wstring> subKeyNames(Root root, std::wstring_view path) const;

  // Applies the changes in order.
  void apply(const std::vector<RegKeyEdit>& edits);

  static const RegValue* findValue(const RegKeyRecord& key, std::wstring_view name);
  // Replaces the data of a value of that name (keeping its spelling and place)
  // or appends a new value.
  static void setValue(RegKeyRecord& key, std::wstring_view name, uint32_t type, std::string data);
  static bool deleteValue(RegKeyRecord& key, std::wstring_view name);

 private:
  std::vector<RegKeyRecord> keys_;
};

}  // namespace registry

}  // namespace wc
