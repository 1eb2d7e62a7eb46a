#include "key_argument.h"

#include "base/registry/reg_store.h"
#include "base/text/strings.h"

namespace wc {

std::wstring KeyArgument::fullName() const {
  std::wstring name = registry::rootName(root);
  if (!path.empty()) name += L"\\" + path;
  return name;
}

KeyArgument KeyArgument::child(const std::wstring& name) const {
  return KeyArgument{root, path.empty() ? name : path + L"\\" + name};
}

std::optional<KeyArgument> parseKeyArgument(const std::wstring& text) {
  size_t slash = text.find(L'\\');
  std::wstring rootText = text.substr(0, slash);
  KeyArgument key;
  if (equalsIgnoreCase(rootText, L"HKLM") || equalsIgnoreCase(rootText, L"HKEY_LOCAL_MACHINE")) {
    key.root = registry::Root::LocalMachine;
  } else if (equalsIgnoreCase(rootText, L"HKCU") || equalsIgnoreCase(rootText, L"HKEY_CURRENT_USER")) {
    key.root = registry::Root::CurrentUser;
  } else {
    return std::nullopt;
  }
  if (slash == std::wstring::npos) return key;
  std::optional<std::wstring> path = registry::normalizedKeyPath(text.substr(slash + 1));
  if (!path) return std::nullopt;
  key.path = *path;
  return key;
}

}  // namespace wc
