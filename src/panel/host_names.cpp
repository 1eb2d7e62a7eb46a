#include "panel/host_names.h"

namespace wc {

namespace {
constexpr std::wstring_view kWwwPrefix = L"www.";
}  // namespace

std::wstring wwwTwin(std::wstring_view name) {
  std::wstring twin;
  twin.reserve(kWwwPrefix.size() + name.size());
  return twin.append(kWwwPrefix).append(name);
}

bool isWwwTwin(std::wstring_view twin, std::wstring_view name) {
  return twin.size() == kWwwPrefix.size() + name.size() && twin.starts_with(kWwwPrefix) &&
         twin.substr(kWwwPrefix.size()) == name;
}

std::vector<std::wstring> addWwwTwins(const std::wstring& host, const std::vector<std::wstring>& aliases) {
  std::vector<std::wstring> names;
  names.reserve(1 + 2 * aliases.size());
  names.push_back(wwwTwin(host));
  for (const std::wstring& alias : aliases) {
    names.push_back(alias);
    names.push_back(wwwTwin(alias));
  }
  return names;
}

}  // namespace wc
