// A provider that faults: its Tomcat home is read through a null pointer, as a
// broken provider library would. Every path built on the home faults too.
// Tests use it to see a processor fault inside an operation reported as the
// operation's failure (with a crash dump where dumps are enabled).

#include <string>

#include "provider/ITomcatProvider.h"

class FaultingProvider final : public ITomcatProvider {
 public:
  void release() override { delete this; }
  std::wstring getTomcatHome() override {
    volatile const wchar_t* home = nullptr;  // volatile: the read must happen
    return std::wstring(1, *home);
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

extern "C" ITomcatProvider* getTomcatProviderInstance() { return new FaultingProvider(); }
