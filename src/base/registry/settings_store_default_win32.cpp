// On Windows the settings store is the registry itself. The panel's keys live
// in the 32-bit view of HKEY_LOCAL_MACHINE: a caller that names no view gets
// that one, so that every program of the panel, whatever its word size, sees
// the same keys.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/registry/reg_store.h"
#include "base/registry/settings_store.h"
#include "base/system/unique_handle.h"

// After the project's headers: the macros of the Windows headers carry the
// same names as the project's constants.
#include <windows.h>

namespace wc {

namespace registry {

namespace {

struct RegKeyTraits {
  using Handle = HKEY;
  static HKEY invalid() { return nullptr; }
  static void close(HKEY key) { RegCloseKey(key); }
};
using UniqueRegKey = UniqueHandle<RegKeyTraits>;

constexpr uint32_t kViewFlags = KEY_WOW64_32KEY | KEY_WOW64_64KEY;

uint32_t withPanelView(uint32_t access) { return (access & kViewFlags) ? access : access | KEY_WOW64_32KEY; }

HKEY rootKey(Root root) { return root == Root::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

const wchar_t* valueNameArgument(const std::wstring& name) { return name.empty() ? nullptr : name.c_str(); }

class WindowsKeyHandle : public KeyHandle {
 public:
  explicit WindowsKeyHandle(UniqueRegKey key) : key_(std::move(key)) {}

  uint32_t queryValue(const std::wstring& name, uint32_t& type, std::string& data) const override {
    DWORD size = 0;
    DWORD foundType = REG_NONE;
    LONG error = RegQueryValueExW(key_.get(), valueNameArgument(name), nullptr, &foundType, nullptr, &size);
    std::string buffer;
    // Another process may make the value longer between the two calls.
    while (error == ERROR_SUCCESS || error == ERROR_MORE_DATA) {
      buffer.resize(size);
      DWORD got = size;
      error = RegQueryValueExW(key_.get(), valueNameArgument(name), nullptr, &foundType,
                               reinterpret_cast<BYTE*>(buffer.data()), &got);
      if (error == ERROR_SUCCESS) {
        buffer.resize(got);
        type = foundType;
        data = std::move(buffer);
        return 0;
      }
      if (error == ERROR_MORE_DATA) size = got > size ? got : size * 2 + 2;
    }
    return static_cast<uint32_t>(error);
  }

  uint32_t setValue(const std::wstring& name, uint32_t type, const std::string& data) override {
    return static_cast<uint32_t>(RegSetValueExW(key_.get(), valueNameArgument(name), 0, type,
                                                reinterpret_cast<const BYTE*>(data.data()),
                                                static_cast<DWORD>(data.size())));
  }

  uint32_t deleteValue(const std::wstring& name) override {
    return static_cast<uint32_t>(RegDeleteValueW(key_.get(), valueNameArgument(name)));
  }

  uint32_t subKeyNames(std::vector<std::wstring>& out) const override {
    return enumerate(out, [this](DWORD index, wchar_t* name, DWORD* length) {
      return RegEnumKeyExW(key_.get(), index, name, length, nullptr, nullptr, nullptr, nullptr);
    });
  }

  uint32_t valueNames(std::vector<std::wstring>& out) const override {
    return enumerate(out, [this](DWORD index, wchar_t* name, DWORD* length) {
      return RegEnumValueW(key_.get(), index, name, length, nullptr, nullptr, nullptr, nullptr);
    });
  }

 private:
  // Names of subkeys and of values are both at most 16383 characters; a
  // buffer of that size never needs to grow.
  template <class EnumFunction>
  static uint32_t enumerate(std::vector<std::wstring>& out, EnumFunction enumAt) {
    constexpr DWORD kLongestName = 16383;
    std::wstring buffer(kLongestName + 1, L'\0');
    out.clear();
    for (DWORD index = 0;; ++index) {
      DWORD length = kLongestName + 1;
      LONG error = enumAt(index, buffer.data(), &length);
      if (error == ERROR_NO_MORE_ITEMS) return 0;
      if (error != ERROR_SUCCESS) return static_cast<uint32_t>(error);
      out.emplace_back(buffer.data(), length);
    }
  }

  UniqueRegKey key_;
};

class WindowsRegistryStore : public SettingsStore {
 public:
  uint32_t openKey(Root root, const std::wstring& subKey, uint32_t access, bool create,
                   std::unique_ptr<KeyHandle>& out) override {
    std::optional<std::wstring> path = normalizedKeyPath(subKey);
    if (!path) return ERROR_BAD_PATHNAME;
    HKEY key = nullptr;
    LONG error = create ? RegCreateKeyExW(rootKey(root), path->c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                          withPanelView(access), nullptr, &key, nullptr)
                        : RegOpenKeyExW(rootKey(root), path->c_str(), 0, withPanelView(access), &key);
    if (error != ERROR_SUCCESS) return static_cast<uint32_t>(error);
    out = std::make_unique<WindowsKeyHandle>(UniqueRegKey(key));
    return 0;
  }

  uint32_t deleteTree(Root root, const std::wstring& subKey) override {
    std::optional<std::wstring> path = normalizedKeyPath(subKey);
    if (!path) return ERROR_BAD_PATHNAME;
    // The root keys themselves cannot be removed.
    if (path->empty()) return ERROR_ACCESS_DENIED;
    const REGSAM view = withPanelView(0);
    HKEY opened = nullptr;
    LONG error = RegOpenKeyExW(rootKey(root), path->c_str(), 0, view | KEY_READ | KEY_SET_VALUE | DELETE, &opened);
    if (error != ERROR_SUCCESS) return static_cast<uint32_t>(error);
    UniqueRegKey key(opened);
    // First what is below the key, then the key itself in the same view.
    error = RegDeleteTreeW(key.get(), nullptr);
    key.reset();
    if (error == ERROR_SUCCESS) error = RegDeleteKeyExW(rootKey(root), path->c_str(), view, 0);
    return static_cast<uint32_t>(error);
  }
};

}  // namespace

SettingsStore& systemSettingsStore() {
  static WindowsRegistryStore store;
  return store;
}

}  // namespace registry

}  // namespace wc
