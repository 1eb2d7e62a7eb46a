#pragma once
// The registry functions: the only way the program touches the settings store.
// On Windows the real registry; on POSIX the .reg store under the sandbox root
// (etc/halvo/registry.reg). Failures of the store come back as Windows error
// codes and become exceptions only where the functions below say so.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/system/context.h"

namespace wc {

namespace registry {

enum class Root { LocalMachine, CurrentUser };

// Access rights and view flags, with the Windows values.
constexpr uint32_t KEY_QUERY_VALUE = 0x0001;
constexpr uint32_t KEY_SET_VALUE = 0x0002;
constexpr uint32_t KEY_CREATE_SUB_KEY = 0x0004;
constexpr uint32_t KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr uint32_t KEY_WOW64_64KEY = 0x0100;
constexpr uint32_t KEY_WOW64_32KEY = 0x0200;
constexpr uint32_t READ_CONTROL = 0x00020000;
constexpr uint32_t KEY_READ = 0x00020019;
constexpr uint32_t KEY_WRITE = 0x00020006;
constexpr uint32_t KEY_ALL_ACCESS = 0x000F003F;

// Value types, with the Windows values.
constexpr uint32_t REG_NONE = 0;
constexpr uint32_t REG_SZ = 1;
constexpr uint32_t REG_EXPAND_SZ = 2;
constexpr uint32_t REG_BINARY = 3;
constexpr uint32_t REG_DWORD = 4;
constexpr uint32_t REG_MULTI_SZ = 7;
constexpr uint32_t REG_QWORD = 11;

// The view selector of the lookups: 1 = 32-bit view, 2 = 64-bit view, 3 = the
// system's native view, anything else = no flag. Every caller passes 1.
constexpr int kView32 = 1;
uint32_t viewFlag(int view);

// The panel's configuration key.
inline const std::wstring kConfigKey = L"SOFTWARE\\Halvo\\HCP Config\\Config";

class KeyHandle;  // the store's open key, opaque

// One open key; closes it when destroyed.
class RegistryKey {
 public:
  RegistryKey();  // not open; defined where KeyHandle is complete
  // Opens (create = false) or creates the key; throws like open()/create().
  RegistryKey(const Context& context, Root root, const std::wstring& subKey, uint32_t access, bool create);
  ~RegistryKey();
  RegistryKey(RegistryKey&&) noexcept;
  RegistryKey& operator=(RegistryKey&&) noexcept;
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  bool isOpen() const { return handle_ != nullptr; }

  // 0, or the system error code when the value is missing (out unchanged).
  // Type other than REG_SZ/REG_EXPAND_SZ: vexception "RegQueryValueEx invalid
  // type of '<name>'" (call point "registry::lookup"). REG_EXPAND_SZ values
  // come back with environment references expanded.
  uint32_t lookup(const std::wstring& name, std::wstring& out) const;
  // As above for REG_DWORD; a size other than 4 raises "RegQueryValueEx
  // invalid size of '<name>'".
  uint32_t lookup(const std::wstring& name, uint32_t& out) const;
  // REG_MULTI_SZ as a list (type errors as above).
  uint32_t lookupMulti(const std::wstring& name, std::vector<std::wstring>& out) const;
  // Any value: its type and raw bytes (as Windows stores them: strings in
  // UTF-16LE with their terminator).
  uint32_t lookupRaw(const std::wstring& name, uint32_t& type, std::string& bytes) const;

  // Throw the OS-error exception "RegSetValueEx valueName=<name>" (call point
  // "registry::set") on failure. A string is stored as REG_SZ.
  void set(const std::wstring& name, const std::wstring& text);
  void set(const std::wstring& name, uint32_t value);
  void setExpand(const std::wstring& name, const std::wstring& text);
  void setMulti(const std::wstring& name, const std::vector<std::wstring>& items);
  void setRaw(const std::wstring& name, uint32_t type, const std::string& bytes);
  // 0 or the error code (ERROR_FILE_NOT_FOUND when there is no such value).
  uint32_t deleteValue(const std::wstring& name);

  // Names of the direct subkeys and of the values, in store order.
  std::vector<std::wstring> subKeyNames() const;
  std::vector<std::wstring> valueNames() const;

 private:
  std::unique_ptr<KeyHandle> handle_;
  friend RegistryKey open(const Context&, Root, const std::wstring&, uint32_t);
  friend RegistryKey create(const Context&, Root, const std::wstring&, uint32_t);
  friend uint32_t tryOpen(const Context&, Root, const std::wstring&, uint32_t, RegistryKey&);
};

// Throws the OS-error exception "RegOpenKeyEx subKey=<subKey>" (call point
// "registry::open").
RegistryKey open(const Context& context, Root root, const std::wstring& subKey, uint32_t access);
// Creates the key (and missing parents) if absent. Throws "RegCreateKeyEx
// subKey=<subKey>" (call point "registry::create").
RegistryKey create(const Context& context, Root root, const std::wstring& subKey, uint32_t access);
// Opens without throwing: 0 or the error code (ERROR_FILE_NOT_FOUND when absent).
uint32_t tryOpen(const Context& context, Root root, const std::wstring& subKey, uint32_t access, RegistryKey& out);

// True if the key opens with READ_CONTROL plus the view flag.
bool keyExists(const Context& context, Root root, const std::wstring& subKey, int view);

// 0, or the error code of opening (KEY_QUERY_VALUE plus view) or of querying;
// `out` unchanged then. Wrong type or size: vexception with
// "<subKey>\<name>" between the quotes.
uint32_t lookupDword(const Context& context, Root root, const std::wstring& subKey, const std::wstring& name,
                     uint32_t& out, int view);
// `expectedType` REG_SZ or REG_EXPAND_SZ; either accepts the other.
uint32_t lookupString(const Context& context, Root root, const std::wstring& subKey, const std::wstring& name,
                      std::wstring& out, uint32_t expectedType, int view);
// The string, or the OS-error exception "lookup subKey=<subKey> value=<name>"
// (call point "registry::getstr").
std::wstring getstr(const Context& context, Root root, const std::wstring& subKey, const std::wstring& name, int view);

// Removes a key with everything under it: 0 or the error code.
uint32_t deleteKey(const Context& context, Root root, const std::wstring& subKey);

}  // namespace registry

}  // namespace wc
