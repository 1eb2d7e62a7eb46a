#pragma once
// The interface of a Tomcat package provider: a library, loaded at run time,
// that tells where Tomcat lives, the name of its service and where the
// connector's files are. Providers are built with the same compiler and
// standard library as the program, since the getters hand out std::wstring by
// value across the library boundary.
//
// The order of the virtual functions is the contract: positions 1, 3, 7 and 9
// are placeholders that keep the others in place and are never called.

#include <string>

namespace wc {

class ITomcatProvider {
 public:
  virtual void reservedPosition1() {}
  // Called once, when the program is done with the provider.
  virtual void release() = 0;
  virtual void reservedPosition3() {}
  // Tomcat's home: conf/server.xml, the hosts' realm files and work/HCP lie under it.
  virtual std::wstring getTomcatHome() = 0;
  // The name of the service that runs Tomcat.
  virtual std::wstring getServiceName() = 0;
  // The roles written for the manager user of a host's realm file.
  virtual std::wstring getManagerRoles() = 0;
  virtual void reservedPosition7() {}
  // The docBase of the manager application's Context in a host.
  virtual std::wstring getManagerDocBase() = 0;
  virtual void reservedPosition9() {}
  // Full paths of the connector's three property files.
  virtual std::wstring getWorkersPropertiesPath() = 0;
  virtual std::wstring getUriWorkerMapPath() = 0;
  virtual std::wstring getIsapiRedirectPropertiesPath() = 0;

 protected:
  ~ITomcatProvider() = default;  // the library owns the object; release() gives it back
};

// The library's export: "getTomcatProviderInstance".
extern "C" {
typedef ITomcatProvider* (*GetTomcatProviderInstanceFunction)();
}

}  // namespace wc
