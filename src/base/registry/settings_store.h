#pragma once
// The seam between the registry functions and the store behind them, shaped
// like the part of the Windows registry API they use. On POSIX the store is
// the settings file under the sandbox root; a Windows build puts the real
// registry here. Every operation answers 0 or a Windows error code.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/registry/reg_store.h"
#include "base/registry/registry.h"

namespace wc {

namespace registry {

// One open key of the store.
class KeyHandle {
 public:
  virtual ~KeyHandle() = default;
  // Type and raw bytes of a value; ERROR_FILE_NOT_FOUND when there is none.
  virtual uint32_t queryValue(const std::wstring& name, uint32_t& type, std::string& data) const = 0;
  virtual uint32_t setValue(const std::wstring& name, uint32_t type, const std::string& data) = 0;
  virtual uint32_t deleteValue(const std::wstring& name) = 0;
  virtual uint32_t subKeyNames(std::vector<std::wstring>& out) const = 0;
  virtual uint32_t valueNames(std::vector<std::wstring>& out) const = 0;
};

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  // Opens the key (ERROR_FILE_NOT_FOUND when it does not exist) or, with
  // `create`, creates it and its missing parents first.
  virtual uint32_t openKey(Root root, const std::wstring& subKey, uint32_t access, bool create,
                           std::unique_ptr<KeyHandle>& out) = 0;
  // Removes the key and everything below it.
  virtual uint32_t deleteTree(Root root, const std::wstring& subKey) = 0;
  // Applies the changes of an import; the settings file takes them all at
  // once or none. This default applies them one by one.
  virtual uint32_t applyEdits(const std::vector<RegKeyEdit>& edits);
  // Why the store cannot be read, when a call answered ERROR_REGISTRY_CORRUPT.
  virtual std::optional<std::wstring> problem() { return std::nullopt; }
};

// The platform's store: the settings file on POSIX, the registry on Windows.
SettingsStore& systemSettingsStore();

}  // namespace registry

}  // namespace wc
