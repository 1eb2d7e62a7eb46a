#include "panel/host_paths.h"

#include <initializer_list>

#include "panel/path_join.h"

namespace wc {

namespace {

constexpr std::wstring_view kRealmSuffix = L".xml";

// The parts one after another, in a string of their size: one allocation.
std::wstring joined(std::initializer_list<std::wstring_view> parts) {
  size_t size = 0;
  for (const std::wstring_view part : parts) size += part.size();
  std::wstring text;
  text.reserve(size);
  for (const std::wstring_view part : parts) text.append(part);
  return text;
}

}  // namespace

PanelDirectories panelDirectories(const std::wstring& varTomcat, const std::wstring& tomcatHome) {
  return {join(varTomcat, {L"hcp-webapps"}), join(varTomcat, {L"hcp-wars"}), join(tomcatHome, {L"hcp-users"}),
          join(tomcatHome, {L"work", L"HCP"})};
}

HostPaths hostPaths(const PanelDirectories& directories, const std::wstring& host) {
  return {join(directories.appBases, {host}), join(directories.realmFiles, {realmFileName(host)}),
          join(directories.archives, {host}), join(directories.work, {host})};
}

std::wstring realmFileName(std::wstring_view host) { return joined({host, kRealmSuffix}); }

std::optional<std::wstring_view> hostOfRealmFileName(std::wstring_view name) {
  if (!name.ends_with(kRealmSuffix)) return std::nullopt;
  return name.substr(0, name.size() - kRealmSuffix.size());
}

std::wstring realmPathname(const std::wstring& host) { return joined({L"hcp-users/", host, kRealmSuffix}); }

std::wstring archiveFileName(std::wstring_view application) { return joined({application, L".war"}); }

WebAppPaths webAppPaths(const PanelDirectories& directories, const std::wstring& host, std::wstring_view application) {
  return {join(directories.archives, {host, archiveFileName(application)}),
          join(directories.appBases, {host, archiveFileName(application)})};
}

}  // namespace wc
