#include "tomcat/tomcat_manager.h"

#include "base/errors/vexception.h"

namespace wc {

ITomcatProvider* TomcatManager::get_provider() const {
  if (!provider_)
    throw vexception(L"Tomcat package provider is undefined", VCALLPOINT(L"", "TomcatManager::get_provider"));
  return provider_;
}

bool TomcatManager::providerMissing(LogLevel level, const wchar_t* action) const {
  if (provider_) return false;
  logMessage(level, L"Unable to %s: Tomcat package provider is undefined", action);
  return true;
}

}  // namespace wc
