#include "base/registry/file_settings_store.h"

#include "base/errors/win_error_codes.h"
#include "base/registry/reg_format.h"
#include "base/registry/store_file.h"

namespace wc {

namespace registry {

namespace {

// Value names end up between quotes on one line of the file.
bool isStorableValueName(const std::wstring& name) { return name.find_first_of(L"\r\n") == std::wstring::npos; }

class FileKeyHandle : public KeyHandle {
 public:
  FileKeyHandle(FileSettingsStore& store, Root root, std::wstring path, uint32_t access)
      : store_(store), root_(root), path_(std::move(path)), access_(access) {}

  void takeSnapshot(const RegStore& store) {
    const RegKeyRecord* record = store.findKey(root_, path_);
    snapshot_.values = record ? record->values : std::vector<RegValue>();
    subKeys_ = store.subKeyNames(root_, path_);
  }

  uint32_t queryValue(const std::wstring& name, uint32_t& type, std::string& data) const override {
    if (!(access_ & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    const RegValue* value = RegStore::findValue(snapshot_, name);
    if (!value) return ERROR_FILE_NOT_FOUND;
    type = value->type;
    data = value->data;
    return 0;
  }

  uint32_t setValue(const std::wstring& name, uint32_t type, const std::string& data) override {
    if (!(access_ & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    if (!isStorableValueName(name)) return ERROR_INVALID_PARAMETER;
    return store_.update([&](RegStore& store) {
      // A key deleted meanwhile by another process comes back with the value.
      RegStore::setValue(store.createKey(root_, path_), name, type, data);
      takeSnapshot(store);
      return 0u;
    });
  }

  uint32_t deleteValue(const std::wstring& name) override {
    if (!(access_ & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    return store_.update([&](RegStore& store) {
      RegKeyRecord* record = store.findKey(root_, path_);
      if (!record || !RegStore::deleteValue(*record, name)) return ERROR_FILE_NOT_FOUND;
      takeSnapshot(store);
      return 0u;
    });
  }

  uint32_t subKeyNames(std::vector<std::wstring>& out) const override {
    if (!(access_ & KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
    out = subKeys_;
    return 0;
  }

  uint32_t valueNames(std::vector<std::wstring>& out) const override {
    if (!(access_ & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    out.clear();
    for (const RegValue& value : snapshot_.values) out.push_back(value.name);
    return 0;
  }

 private:
  FileSettingsStore& store_;
  Root root_;
  std::wstring path_;
  uint32_t access_;
  RegKeyRecord snapshot_;  // only its values are used
  std::vector<std::wstring> subKeys_;
};

}  // namespace

FileSettingsStore::FileSettingsStore(std::function<std::wstring()> path) : path_(std::move(path)) {}

uint32_t FileSettingsStore::parse(const std::string& text, RegStore& out) {
  try {
    out = loadRegText(text);
    return 0;
  } catch (const RegFormatError& e) {
    std::lock_guard<std::mutex> guard(problemLock_);
    problem_ = L"The settings file " + path_() + L" cannot be read: " + e.message();
    return ERROR_REGISTRY_CORRUPT;
  }
}

std::optional<std::wstring> FileSettingsStore::problem() {
  std::lock_guard<std::mutex> guard(problemLock_);
  return problem_;
}

uint32_t FileSettingsStore::read(RegStore& out) {
  std::string text;
  bool exists = false;
  if (uint32_t error = readStoreFile(path_(), text, exists)) return error;
  if (!exists) {
    out = RegStore();
    return 0;
  }
  // A command reads the store a score of times, mostly unchanged: the text
  // is compared with the one parsed last instead of parsed again.
  std::lock_guard<std::mutex> guard(lastReadLock_);
  if (!lastText_ || *lastText_ != text) {
    lastText_.reset();
    if (uint32_t error = parse(text, lastStore_)) return error;
    lastText_ = std::move(text);
  }
  out = lastStore_;
  return 0;
}

uint32_t FileSettingsStore::update(const std::function<uint32_t(RegStore&)>& change) {
  return updateStoreFile(path_(), [&](const std::string& current, std::optional<std::string>& replacement) {
    RegStore store;
    if (uint32_t error = parse(current, store)) return error;
    if (uint32_t error = change(store)) return error;
    replacement = formatRegText(store);
    return 0u;
  });
}

uint32_t FileSettingsStore::openKey(Root root, const std::wstring& subKey, uint32_t access, bool create,
                                    std::unique_ptr<KeyHandle>& out) {
  std::optional<std::wstring> path = normalizedKeyPath(subKey);
  if (!path) return ERROR_BAD_PATHNAME;
  auto key = std::make_unique<FileKeyHandle>(*this, root, *path, access);

  RegStore store;
  if (uint32_t error = read(store)) return error;
  if (store.keyExists(root, *path)) {
    key->takeSnapshot(store);
  } else if (!create) {
    return ERROR_FILE_NOT_FOUND;
  } else {
    uint32_t error = update([&](RegStore& current) {
      current.createKey(root, *path);
      key->takeSnapshot(current);
      return 0u;
    });
    if (error) return error;
  }
  out = std::move(key);
  return 0;
}

uint32_t FileSettingsStore::deleteTree(Root root, const std::wstring& subKey) {
  std::optional<std::wstring> path = normalizedKeyPath(subKey);
  if (!path) return ERROR_BAD_PATHNAME;
  // The root keys themselves cannot be removed.
  if (path->empty()) return ERROR_ACCESS_DENIED;
  return update([&](RegStore& store) { return store.deleteTree(root, *path) ? 0u : ERROR_FILE_NOT_FOUND; });
}

uint32_t FileSettingsStore::applyEdits(const std::vector<RegKeyEdit>& edits) {
  for (const RegKeyEdit& edit : edits) {
    for (const RegValueEdit& value : edit.values) {
      if (!isStorableValueName(value.name)) return ERROR_INVALID_PARAMETER;
    }
  }
  return update([&](RegStore& store) {
    store.apply(edits);
    return 0u;
  });
}

}  // namespace registry

}  // namespace wc
