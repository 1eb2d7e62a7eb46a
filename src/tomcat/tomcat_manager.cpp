#include "tomcat/tomcat_manager.h"

#include "base/errors/vexception.h"

ITomcatProvider* TomcatManager::get_provider() const {
  if (!provider_) throw vexception(L"Tomcat package provider is undefined", VCALLPOINT(L"", "TomcatManager::get_provider"));
  return provider_;
}
