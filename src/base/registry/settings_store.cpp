#include "base/registry/settings_store.h"

#include "base/errors/win_error_codes.h"

namespace wc {

namespace registry {

uint32_t SettingsStore::applyEdits(const std::vector<RegKeyEdit>& edits) {
  for (const RegKeyEdit& edit : edits) {
    if (edit.remove) {
      uint32_t error = deleteTree(edit.root, edit.path);
      if (error != 0 && error != ERROR_FILE_NOT_FOUND) return error;
      continue;
    }
    std::unique_ptr<KeyHandle> key;
    if (uint32_t error = openKey(edit.root, edit.path, KEY_ALL_ACCESS, true, key)) return error;
    for (const RegValueEdit& value : edit.values) {
      uint32_t error = value.remove ? key->deleteValue(value.name) : key->setValue(value.name, value.type, value.data);
      if (error != 0 && !(value.remove && error == ERROR_FILE_NOT_FOUND)) return error;
    }
  }
  return 0;
}

}  // namespace registry

}  // namespace wc
