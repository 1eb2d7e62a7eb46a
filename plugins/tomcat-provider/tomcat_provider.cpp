// The default Tomcat package provider: answers from its own package key,
// "SOFTWARE\Halvo\HCP Config\Config\Packages\tomcat\<package>", where
// <package> is the package the panel configured for the type "tomcat".

#include <string>

#include "base/log/log.h"
#include "base/log/log_manager.h"
#include "base/registry/registry.h"
#include "base/system/path_separator.h"
#include "provider/ITomcatProvider.h"

namespace wc {

namespace {

const std::wstring kTypeKey = L"SOFTWARE\\Halvo\\HCP Config\\Config\\Packages\\tomcat";

std::wstring joinPath(std::wstring directory, const std::wstring& relative) {
  while (!directory.empty() && (directory.back() == L'/' || directory.back() == L'\\')) directory.pop_back();
  return directory + pathSeparator() + toPlatformSeparators(relative);
}

class DefaultTomcatProvider final : public ITomcatProvider {
 public:
  DefaultTomcatProvider(const Context& context, std::wstring packageKey)
      : context_(context), packageKey_(std::move(packageKey)) {}

  void release() override { delete this; }

  std::wstring getTomcatHome() override {
    return registry::getstr(context_, registry::Root::LocalMachine, packageKey_, L"TomcatHome", registry::kView32);
  }
  std::wstring getServiceName() override { return valueOr(L"ServiceName", L"Tomcat"); }
  std::wstring getManagerRoles() override { return valueOr(L"ManagerRoles", L"manager-gui,manager-script"); }
  std::wstring getManagerDocBase() override { return valueOrUnderHome(L"ManagerDocBase", L"webapps/manager"); }
  std::wstring getWorkersPropertiesPath() override {
    return valueOrUnderHome(L"WorkersProperties", L"conf/workers.properties");
  }
  std::wstring getUriWorkerMapPath() override {
    return valueOrUnderHome(L"UriWorkerMap", L"conf/uriworkermap.properties");
  }
  std::wstring getIsapiRedirectPropertiesPath() override {
    return valueOrUnderHome(L"IsapiRedirectProperties", L"conf/isapi_redirect.properties");
  }

 private:
  std::wstring valueOr(const wchar_t* name, const wchar_t* fallback) const {
    std::wstring value;
    if (registry::lookupString(context_, registry::Root::LocalMachine, packageKey_, name, value, registry::REG_SZ,
                               registry::kView32) != 0 ||
        value.empty())
      return fallback;
    return value;
  }
  std::wstring valueOrUnderHome(const wchar_t* name, const wchar_t* relative) {
    std::wstring value = valueOr(name, L"");
    return value.empty() ? joinPath(getTomcatHome(), relative) : value;
  }

  const Context context_;
  std::wstring packageKey_;
};

}  // namespace

// The export takes no arguments: the library reads the machine's settings
// store itself.
extern "C" ITomcatProvider* getTomcatProviderInstance() {
  const Context machine = processMachine();
  std::wstring package;
  if (registry::lookupString(machine, registry::Root::LocalMachine, kTypeKey, L"", package, registry::REG_SZ,
                             registry::kView32) != 0)
    return nullptr;
  logMessage(LOG_INFO, L"Tomcat package provider of package %s loaded", package);
  return new DefaultTomcatProvider(machine, kTypeKey + L"\\" + package);
}

}  // namespace wc
