#include "panel/mount_keys.h"

#include "base/errors/strict_convert.h"
#include "base/text/strings.h"

namespace wc {

std::string mountName(std::wstring_view hostOrAlias) { return cstr(lowerCase(hostOrAlias)); }

std::string mountPrefix(std::wstring_view hostOrAlias) {
  // Appended, not "/" + name: GCC 12 for Windows takes an insert at the front
  // for an overlapping copy (-Wrestrict).
  std::string prefix(1, '/');
  prefix += mountName(hostOrAlias);
  prefix += '/';
  return prefix;
}

std::string_view mountNameOf(std::string_view key) {
  if (key.empty() || key[0] != '/') return {};
  const size_t nameEnd = key.find('/', 1);
  return nameEnd == std::string_view::npos ? std::string_view() : key.substr(0, nameEnd + 1);
}

std::vector<std::string> webAppMountKeys(const std::wstring& hostName, const std::vector<std::wstring>& aliases,
                                         const std::wstring& appName) {
  const std::string app = cstr(appName);
  std::vector<std::string> keys;
  keys.reserve(2 * (aliases.size() + 1));
  auto addName = [&](std::wstring_view name) {
    keys.push_back(mountPrefix(name) + app);
    keys.push_back(keys.back() + "/*");
  };
  addName(hostName);
  for (const std::wstring& alias : aliases) addName(alias);
  return keys;
}

}  // namespace wc
