#pragma once
// A provider for tests that answers fixed paths under the directory named by
// the environment variable WC_TEST_TOMCAT_HOME (or /nonexistent/tomcat).

#include <cstdlib>
#include <string>

#include "provider/ITomcatProvider.h"

namespace wc {

class FixedPathsProvider : public ITomcatProvider {
 public:
  virtual ~FixedPathsProvider() = default;
  void release() override { delete this; }
  std::wstring getTomcatHome() override {
    const char* home = std::getenv("WC_TEST_TOMCAT_HOME");
    std::string h = home ? home : "/nonexistent/tomcat";
    return std::wstring(h.begin(), h.end());
  }
  std::wstring getServiceName() override { return L"TestTomcat"; }
  std::wstring getManagerRoles() override { return L"manager-gui"; }
  std::wstring getManagerDocBase() override { return getTomcatHome() + L"/webapps/manager"; }
  std::wstring getWorkersPropertiesPath() override { return getTomcatHome() + L"/conf/workers.properties"; }
  std::wstring getUriWorkerMapPath() override { return getTomcatHome() + L"/conf/uriworkermap.properties"; }
  std::wstring getIsapiRedirectPropertiesPath() override {
    return getTomcatHome() + L"/conf/isapi_redirect.properties";
  }
};

}  // namespace wc
