// The whole-machine check: a machine laid out by the commands themselves has
// no finding, and each small drift from it gives its finding at its place.

#include "check/consistency_check.h"

#include <gtest/gtest.h>

#include <functional>

#include "tomcat/tomcat_test_machine.h"

using namespace tomcat_test;

void PrintTo(const Finding& f, std::ostream* os) {
  *os << "\n"
      << testing::PrintToString(f.kind) << " " << testing::PrintToString(f.host) << " "
      << testing::PrintToString(f.file) << ":" << f.line << " " << testing::PrintToString(f.problem);
}

namespace {

// Replaces the first `from` in the file; the test is wrong when it is not there.
void edit(const std::string& path, const std::string& from, const std::string& to) {
  std::string text = readFile(path);
  const size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos) << from << " not in " << path;
  testing_support::writeFile(path, text.replace(at, from.size(), to));
}

// The line (from 1) of the first occurrence of `needle` in the file.
size_t lineOf(const std::string& path, const std::string& needle) {
  const std::string text = readFile(path);
  const size_t at = text.find(needle);
  if (at == std::string::npos) return 0;
  size_t line = 1;
  for (size_t i = 0; i < at; ++i) line += text[i] == '\n';
  return line;
}

class ConsistencyCheck : public TomcatTest {
 protected:
  // a.test with the alias b.test and the started application shop, c.test
  // with none.
  void SetUp() override {
    TomcatTest::SetUp();
    install("a.test", "b.test", {"shop"});
    manager.installService(L"c.test", L"admin", L"secret", L"9080", L"9008");
    manager.installVHost(L"c.test", L"");
    manager.startWebApp(L"a.test", L"shop", aliasesFile("b.test"));
  }

  PanelLocations where() {
    ITomcatProvider* provider = manager.get_provider();
    return {manager.getServerXmlPath(), provider->getWorkersPropertiesPath(), provider->getUriWorkerMapPath(),
            provider->getTomcatHome(), manager.getVarTomcatDir()};
  }
};

TEST_F(ConsistencyCheck, TheCommandsLeaveNothingToFind) {
  EXPECT_EQ(checkConsistency(where()), std::vector<Finding>());
}

// One drift from the machine of the fixture and the finding it must give.
struct Drift {
  const char* name;
  std::function<void()> change;
  const std::wstring& kind;
  const char* host;    // display form; "" when no host is concerned
  std::string file;    // relative to the Tomcat home, or "var/..." for the panel's data
  std::string lineOf;  // the text on the finding's line; "" for line 0
};

std::string pathOf(const std::string& file) { return file.starts_with("var/") ? var(file.substr(4)) : home(file); }

TEST_F(ConsistencyCheck, EachDriftIsFoundAtItsPlace) {
  const std::string server = home("conf/server.xml");
  const std::vector<Drift> drifts = {
      {"shutdown port", [&] { edit(server, "port=\"-1\"", "port=\"8005\""); }, finding_kind::kShutdownPortEnabled, "",
       "conf/server.xml", "<Server "},
      {"no HCP Service", [&] { edit(server, "<Service name=\"HCP\"", "<Service name=\"HCPX\""); },
       finding_kind::kServiceMissing, "", "conf/server.xml", "<Server "},
      {"no AJP Connector", [&] { edit(server, "AJP/1.3", "HTTP/1.1"); }, finding_kind::kConnectorMissing, "",
       "conf/server.xml", "<Service name=\"HCP\""},
      {"no HTTP Connector", [&] { edit(server, "scheme=\"http\"", "protocol=\"AJP/1.3\""); },
       finding_kind::kConnectorMissing, "", "conf/server.xml", "<Service name=\"HCP\""},
      {"no HCP Engine", [&] { edit(server, "<Engine name=\"HCP\"", "<Engine name=\"hcp\""); },
       finding_kind::kEngineMissing, "", "conf/server.xml", "<Service name=\"HCP\""},
      {"two Hosts, one name", [&] { edit(server, "<Host name=\"c.test\"", "<Host name=\"A.TEST\""); },
       finding_kind::kHostDuplicate, "a.test", "conf/server.xml", "<Host name=\"A.TEST\""},
      {"alias twin", [&] { edit(server, "<Alias>www.b.test</Alias>", ""); }, finding_kind::kAliasTwinMissing, "a.test",
       "conf/server.xml", "<Alias>b.test<"},
      {"alias on two hosts",
       [&] { edit(server, "<Alias>www.c.test</Alias>", "<Alias>www.c.test</Alias><Alias>B.test</Alias>"); },
       finding_kind::kAliasDuplicate, "c.test", "conf/server.xml", "<Alias>B.test<"},
  };
  for (const Drift& drift : drifts) {
    SCOPED_TRACE(drift.name);
    SetUp();
    drift.change();
    const std::string path = pathOf(drift.file);
    const Finding expected{drift.kind, w(drift.host), L"", w(nativePath(path)),
                           drift.lineOf.empty() ? 0 : lineOf(path, drift.lineOf)};
    size_t matching = 0;
    for (Finding found : checkConsistency(where())) {
      found.problem.clear();
      matching += found == expected;
    }
    EXPECT_EQ(matching, 1u) << testing::PrintToString(checkConsistency(where()));
  }
}

}  // namespace
