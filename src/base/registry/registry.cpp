#include "base/registry/registry.h"

#include "base/errors/os_error.h"
#include "base/registry/settings_store.h"
#include "base/registry/value_data.h"
#include "base/system/environment.h"

namespace wc {

namespace registry {

namespace {

[[noreturn]] void throwInvalidType(const std::wstring& what) {
  throw vexception(L"RegQueryValueEx invalid type of '" + what + L"'", VCALLPOINT(L"", "registry::lookup"));
}

[[noreturn]] void throwInvalidSize(const std::wstring& what) {
  throw vexception(L"RegQueryValueEx invalid size of '" + what + L"'", VCALLPOINT(L"", "registry::lookup"));
}

bool isStringType(uint32_t type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// The text of a string value, environment references expanded for REG_EXPAND_SZ.
std::wstring stringOf(uint32_t type, const std::string& data) {
  std::wstring text = decodeString(data);
  return type == REG_EXPAND_SZ ? expandEnvironmentStrings(text) : text;
}

// A DWORD value after the type and size checks; `what` names it in the message.
uint32_t dwordOf(uint32_t type, const std::string& data, const std::wstring& what) {
  if (type != REG_DWORD) throwInvalidType(what);
  std::optional<uint32_t> value = decodeDword(data);
  if (!value) throwInvalidSize(what);
  return *value;
}

}  // namespace

uint32_t viewFlag(int view) {
  switch (view) {
    case 1:
      return KEY_WOW64_32KEY;
    case 2:
      return KEY_WOW64_64KEY;
    // The program is built for the system's own word size, so the native
    // view is the one of its own pointers.
    case 3:
      return sizeof(void*) == 8 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
    default:
      return 0;
  }
}

RegistryKey::RegistryKey(const Context& context, Root root, const std::wstring& subKey, uint32_t access, bool create)
    : RegistryKey(create ? registry::create(context, root, subKey, access)
                         : registry::open(context, root, subKey, access)) {}

RegistryKey::RegistryKey() = default;
RegistryKey::~RegistryKey() = default;
RegistryKey::RegistryKey(RegistryKey&&) noexcept = default;
RegistryKey& RegistryKey::operator=(RegistryKey&&) noexcept = default;

uint32_t RegistryKey::lookupRaw(const std::wstring& name, uint32_t& type, std::string& bytes) const {
  if (!handle_) return ERROR_INVALID_HANDLE;
  uint32_t foundType = REG_NONE;
  std::string data;
  if (uint32_t error = handle_->queryValue(name, foundType, data)) return error;
  type = foundType;
  bytes = std::move(data);
  return 0;
}

uint32_t RegistryKey::lookup(const std::wstring& name, std::wstring& out) const {
  uint32_t type = REG_NONE;
  std::string data;
  if (uint32_t error = lookupRaw(name, type, data)) return error;
  if (!isStringType(type)) throwInvalidType(name);
  out = stringOf(type, data);
  return 0;
}

uint32_t RegistryKey::lookup(const std::wstring& name, uint32_t& out) const {
  uint32_t type = REG_NONE;
  std::string data;
  if (uint32_t error = lookupRaw(name, type, data)) return error;
  out = dwordOf(type, data, name);
  return 0;
}

uint32_t RegistryKey::lookupMulti(const std::wstring& name, std::vector<std::wstring>& out) const {
  uint32_t type = REG_NONE;
  std::string data;
  if (uint32_t error = lookupRaw(name, type, data)) return error;
  if (type != REG_MULTI_SZ) throwInvalidType(name);
  out = decodeMultiString(data);
  return 0;
}

void RegistryKey::setRaw(const std::wstring& name, uint32_t type, const std::string& bytes) {
  uint32_t error = handle_ ? handle_->setValue(name, type, bytes) : ERROR_INVALID_HANDLE;
  if (error) throwOsError(L"RegSetValueEx valueName=" + name, error, VCALLPOINT(L"", "registry::set"));
}

void RegistryKey::set(const std::wstring& name, const std::wstring& text) { setRaw(name, REG_SZ, encodeString(text)); }

void RegistryKey::set(const std::wstring& name, uint32_t value) { setRaw(name, REG_DWORD, encodeDword(value)); }

void RegistryKey::setExpand(const std::wstring& name, const std::wstring& text) {
  setRaw(name, REG_EXPAND_SZ, encodeString(text));
}

void RegistryKey::setMulti(const std::wstring& name, const std::vector<std::wstring>& items) {
  // An empty item would end the list early when it is read back.
  for (const std::wstring& item : items) {
    if (item.empty()) {
      throwOsError(L"RegSetValueEx valueName=" + name, ERROR_INVALID_PARAMETER, VCALLPOINT(L"", "registry::set"));
    }
  }
  setRaw(name, REG_MULTI_SZ, encodeMultiString(items));
}

uint32_t RegistryKey::deleteValue(const std::wstring& name) {
  return handle_ ? handle_->deleteValue(name) : ERROR_INVALID_HANDLE;
}

std::vector<std::wstring> RegistryKey::subKeyNames() const {
  std::vector<std::wstring> names;
  uint32_t error = handle_ ? handle_->subKeyNames(names) : ERROR_INVALID_HANDLE;
  if (error) throwOsError(L"RegEnumKeyEx", error, VCALLPOINT(L"", "registry::subKeyNames"));
  return names;
}

std::vector<std::wstring> RegistryKey::valueNames() const {
  std::vector<std::wstring> names;
  uint32_t error = handle_ ? handle_->valueNames(names) : ERROR_INVALID_HANDLE;
  if (error) throwOsError(L"RegEnumValue", error, VCALLPOINT(L"", "registry::valueNames"));
  return names;
}

uint32_t tryOpen(const Context& context, Root root, const std::wstring& subKey, uint32_t access, RegistryKey& out) {
  std::unique_ptr<KeyHandle> handle;
  if (uint32_t error = context.settings->openKey(root, subKey, access, false, handle)) return error;
  out.handle_ = std::move(handle);
  return 0;
}

RegistryKey open(const Context& context, Root root, const std::wstring& subKey, uint32_t access) {
  RegistryKey key;
  if (uint32_t error = tryOpen(context, root, subKey, access, key)) {
    throwOsError(L"RegOpenKeyEx subKey=" + subKey, error, VCALLPOINT(L"", "registry::open"));
  }
  return key;
}

RegistryKey create(const Context& context, Root root, const std::wstring& subKey, uint32_t access) {
  RegistryKey key;
  if (uint32_t error = context.settings->openKey(root, subKey, access, true, key.handle_)) {
    throwOsError(L"RegCreateKeyEx subKey=" + subKey, error, VCALLPOINT(L"", "registry::create"));
  }
  return key;
}

bool keyExists(const Context& context, Root root, const std::wstring& subKey, int view) {
  RegistryKey key;
  return tryOpen(context, root, subKey, READ_CONTROL | viewFlag(view), key) == 0;
}

uint32_t lookupDword(const Context& context, Root root, const std::wstring& subKey, const std::wstring& name,
                     uint32_t& out, int view) {
  RegistryKey key;
  if (uint32_t error = tryOpen(context, root, subKey, KEY_QUERY_VALUE | viewFlag(view), key)) return error;
  uint32_t type = REG_NONE;
  std::string data;
  if (uint32_t error = key.lookupRaw(name, type, data)) return error;
  out = dwordOf(type, data, subKey + L"\\" + name);
  return 0;
}

uint32_t lookupString(const Context& context, Root root, const std::wstring& subKey, const std::wstring& name,
                      std::wstring& out, uint32_t expectedType, int view) {
  RegistryKey key;
  if (uint32_t error = tryOpen(context, root, subKey, KEY_QUERY_VALUE | viewFlag(view), key)) return error;
  uint32_t type = REG_NONE;
  std::string data;
  if (uint32_t error = key.lookupRaw(name, type, data)) return error;
  bool accepted = type == expectedType || (isStringType(type) && isStringType(expectedType));
  if (!accepted) throwInvalidType(subKey + L"\\" + name);
  out = stringOf(type, data);
  return 0;
}

std::wstring getstr(const Context& context, Root root, const std::wstring& subKey, const std::wstring& name, int view) {
  std::wstring out;
  if (uint32_t error = lookupString(context, root, subKey, name, out, REG_SZ, view)) {
    throwOsError(L"lookup subKey=" + subKey + L" value=" + name, error, VCALLPOINT(L"", "registry::getstr"));
  }
  return out;
}

uint32_t deleteKey(const Context& context, Root root, const std::wstring& subKey) {
  return context.settings->deleteTree(root, subKey);
}

}  // namespace registry

}  // namespace wc
