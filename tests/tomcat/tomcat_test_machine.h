#pragma once
// The TomcatManager tests' machine: one sandbox with the panel's settings and
// hcpsrv for the whole program (the management service's client is
// process-wide), a fresh Tomcat home and product data directory for each
// test, and a manager that holds the fixed test provider.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/failures.h"
#include "support/sandbox.h"
#include "support/test_context.h"
#include "tomcat/tomcat_manager.h"

namespace wc {

namespace tomcat_test {

using testing_support::context;
using testing_support::failureOf;
using testing_support::nativePath;
using testing_support::pathExists;
using testing_support::readFile;
using testing_support::w;

// The manager with the fixed provider in place of a configured package.
struct TestTomcatManager : TomcatManager {
  TestTomcatManager();
};

// Paths under the Tomcat home, the panel's Tomcat data directory and the
// product root, written with '/'.
std::string home(const std::string& relative);
std::string var(const std::string& relative);
std::string product(const std::string& relative);

// server.xml as each test starts with it: the stock shape, one Catalina Service.
extern const char kStockServerXml[];
// server.xml after --install and --install-service with the default ports,
// with these Host elements in the HCP Engine.
std::string hcpServerXml(const std::string& hosts);
// The Host element of --install-vhost with these aliases, and `added` ones
// after its Realm as --add-alias puts them; each with its "www." twin.
std::string hostXml(const std::string& name, const std::vector<std::string>& aliases,
                    const std::vector<std::string>& added = {});
// workers.properties with the worker of `host`.
std::string workersOf(const std::string& host);
// The URL mounts of `application` of `host` for each name and its twin.
std::string mounts(const std::string& application, const std::string& host, const std::vector<std::string>& names);

class TomcatTest : public ::testing::Test {
 protected:
  // An empty Tomcat home with kStockServerXml, no product data.
  void SetUp() override;

  static std::string serverXml() { return readFile(home("conf/server.xml")); }
  static std::string workers() { return readFile(home("conf/workers.properties")); }
  static std::string uriMap() { return readFile(home("conf/uriworkermap.properties")); }
  static std::string realm(const std::string& host) { return readFile(home("hcp-users/" + host + ".xml")); }
  // The deferred removal's storage file; empty when there is none.
  static std::string removalStorage();
  // The path of a new aliases file with this content.
  static std::wstring aliasesFile(const std::string& content);

  // --install, then --install-service of `host` (admin, secret, the default
  // ports), then, given `aliases`, --install-vhost with an aliases file of
  // this content (none when empty), and these archives in hcp-wars.
  void install(const std::string& host, const char* aliases = nullptr, const std::vector<std::string>& archives = {});

  TestTomcatManager manager;
};

}  // namespace tomcat_test

}  // namespace wc
