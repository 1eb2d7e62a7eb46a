// The whole-machine check: a machine laid out by the commands themselves has
// no finding, and each small drift from it gives its finding at its place.

#include "check/consistency_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>
#include <tuple>

#include "base/removal/removal_storage_file.h"
#include "check/consistency_repair.h"
#include "support/test_context.h"
#include "tomcat/host_names.h"
#include "tomcat/tomcat_test_machine.h"

namespace wc {

using testing_support::context;

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

// One drift from the machine of the fixture and the finding it must give.
struct Drift {
  const char* name;
  std::function<void()> change;
  const std::wstring& kind;
  const char* host;    // as written; "" when no host is concerned
  std::string file;    // relative to the Tomcat home, or "var/..." for the panel's data
  std::string lineOf;  // the text on the finding's line; "" for line 0
};

std::wstring slashes(std::wstring path) {
  std::replace(path.begin(), path.end(), L'\\', L'/');
  return path;
}

std::string pathOf(const std::string& file) { return file.starts_with("var/") ? var(file.substr(4)) : home(file); }

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

  // Each drift from this machine and the finding it must give.
  std::vector<Drift> drifts() {
    const std::string server = home("conf/server.xml");
    const std::string workers = home("conf/workers.properties");
    const std::string map = home("conf/uriworkermap.properties");
    auto remove = [](const std::string& path) { ASSERT_TRUE(std::filesystem::remove(path)) << path; };
    return {
        {"worker not listed", [=] { edit(workers, ",a_test", ",,"); }, finding_kind::kWorkerMissing, "a.test",
         "conf/workers.properties", "worker.list="},
        {"no workers.properties", [=] { remove(workers); }, finding_kind::kWorkerMissing, "c.test",
         "conf/workers.properties", ""},
        {"worker key",
         [=] {
           // Blank and comment lines count as lines.
           edit(workers, "worker.list=", "# hand edit\r\n\r\nworker.list=");
           edit(workers, "c_test.port=9008", "c_test.port=9009");
         },
         finding_kind::kWorkerKeys, "c.test", "conf/workers.properties", "c_test.port="},
        {"worker without Host", [=] { edit(workers, "worker.a_test.type", "worker.x_test.type"); },
         finding_kind::kWorkerOrphan, "", "conf/workers.properties", "worker.x_test."},
        {"worker without Host, with mounts",
         [=] {
           edit(workers, "worker.a_test.type", "worker.x_test.type");
           edit(map, "/www.b.test/shop/*=a_test", "/www.b.test/shop/*=a_test\r\n/x.test/shop=x_test");
         },
         finding_kind::kWorkerOrphan, "", "conf/workers.properties", "worker.x_test."},
        {"worker without Host, with a line of a Host's mount",
         [=] {
           edit(workers, "worker.a_test.type", "worker.x_test.type");
           edit(map, "/a.test/shop=a_test", "/a.test/shop=a_test\r\n/a.test/shop=x_test");
         },
         finding_kind::kWorkerOrphan, "", "conf/workers.properties", "worker.x_test."},
        {"mount of another host", [=] { edit(map, "/b.test/shop=", "/d.test/shop="); }, finding_kind::kMountForeignHost,
         "a.test", "conf/uriworkermap.properties", "/d.test/shop="},
        {"mount of no worker", [=] { edit(map, "/www.b.test/shop/*=a_test", "/www.b.test/shop/*=z_test"); },
         finding_kind::kMountUnknownWorker, "www.b.test", "conf/uriworkermap.properties", "=z_test"},
        {"mount missing", [=] { edit(map, "/www.a.test/shop=a_test", ""); }, finding_kind::kMountsMissing, "a.test",
         "conf/uriworkermap.properties", ""},
        {"no uriworkermap.properties", [=] { remove(map); }, finding_kind::kMountsMissing, "a.test",
         "conf/uriworkermap.properties", ""},
        // The first line of a key is the one the connector uses.
        {"mount taken by an earlier line",
         [=] { edit(map, "/a.test/shop=a_test", "/a.test/shop=c_test\r\n/a.test/shop=a_test"); },
         finding_kind::kMountsMissing, "a.test", "conf/uriworkermap.properties", ""},
        {"mounts of no started application", [=] { remove(var("hcp-webapps/a.test/shop.war")); },
         finding_kind::kMountsOrphan, "a.test", "conf/uriworkermap.properties", "/a.test/shop="},
        {"appBase", [=] { edit(server, "c.test\" unpackWARs", "d.test\" unpackWARs"); }, finding_kind::kAppBaseForeign,
         "c.test", "conf/server.xml", "<Host name=\"c.test\""},
        {"Realm", [=] { edit(server, "hcp-users/c.test.xml", "hcp-users/d.test.xml"); }, finding_kind::kRealmForeign,
         "c.test", "conf/server.xml", "hcp-users/d.test.xml"},
        {"realm file", [=] { remove(home("hcp-users/c.test.xml")); }, finding_kind::kHostFilesMissing, "c.test",
         "hcp-users/c.test.xml", ""},
        {"directory of no Host", [=] { testing_support::makeDirectories(var("hcp-wars/d.test")); },
         finding_kind::kHostFilesOrphan, "d.test", "var/hcp-wars/d.test", ""},
        {"archive gone", [=] { remove(var("hcp-wars/a.test/shop.war")); }, finding_kind::kLinkArchiveGone, "a.test",
         "var/hcp-webapps/a.test/shop.war", ""},
        {"link differs",
         [=] {
           remove(var("hcp-webapps/a.test/shop.war"));
           testing_support::writeFile(var("hcp-webapps/a.test/shop.war"), "PK other");
         },
         finding_kind::kLinkDiffers, "a.test", "var/hcp-webapps/a.test/shop.war", ""},
        {"link differs, same size",
         [=] {
           const std::string link = var("hcp-webapps/a.test/shop.war");
           const size_t size = readFile(link).size();
           remove(link);
           testing_support::writeFile(link, std::string(size, 'x'));
         },
         finding_kind::kLinkDiffers, "a.test", "var/hcp-webapps/a.test/shop.war", ""},
        {"shutdown port", [=] { edit(server, "port=\"-1\"", "port=\"8005\""); }, finding_kind::kShutdownPortEnabled, "",
         "conf/server.xml", "<Server "},
        {"no HCP Service", [=] { edit(server, "<Service name=\"HCP\"", "<Service name=\"HCPX\""); },
         finding_kind::kServiceMissing, "", "conf/server.xml", "<Server "},
        {"no AJP Connector", [=] { edit(server, "AJP/1.3", "HTTP/1.1"); }, finding_kind::kConnectorMissing, "",
         "conf/server.xml", "<Service name=\"HCP\""},
        {"no HTTP Connector", [=] { edit(server, "scheme=\"http\"", "protocol=\"AJP/1.3\""); },
         finding_kind::kConnectorMissing, "", "conf/server.xml", "<Service name=\"HCP\""},
        {"no HCP Engine", [=] { edit(server, "<Engine name=\"HCP\"", "<Engine name=\"hcp\""); },
         finding_kind::kEngineMissing, "", "conf/server.xml", "<Service name=\"HCP\""},
        {"two Hosts, one name", [=] { edit(server, "<Host name=\"c.test\"", "<Host name=\"A.TEST\""); },
         finding_kind::kHostDuplicate, "A.TEST", "conf/server.xml", "<Host name=\"A.TEST\""},
        {"alias twin", [=] { edit(server, "<Alias>www.b.test</Alias>", ""); }, finding_kind::kAliasTwinMissing,
         "a.test", "conf/server.xml", "<Alias>b.test<"},
        {"save of server.xml cut short", [=] { testing_support::writeFile(server + ".~4711.3.tmp", "<Server"); },
         finding_kind::kTemporaryFileLeft, "", "conf/server.xml.~4711.3.tmp", ""},
        {"save of a realm file cut short",
         [=] { testing_support::writeFile(home("hcp-users/c.test.xml.~4711.1.tmp"), ""); },
         finding_kind::kTemporaryFileLeft, "c.test", "hcp-users/c.test.xml.~4711.1.tmp", ""},
        {"save of a property file cut short",
         [=] { testing_support::writeFile(workers + ".~4711.2.tmp", "worker.list=ajp13\r\nworker.a"); },
         finding_kind::kTemporaryFileLeft, "", "conf/workers.properties.~4711.2.tmp", ""},
        {"save of isapi_redirect.properties cut short",
         [=] { testing_support::writeFile(home("conf/isapi_redirect.properties.~4711.5.tmp"), "# Conf"); },
         finding_kind::kTemporaryFileLeft, "", "conf/isapi_redirect.properties.~4711.5.tmp", ""},
        {"alias on two hosts",
         [=] { edit(server, "<Alias>www.c.test</Alias>", "<Alias>www.c.test</Alias><Alias>B.test</Alias>"); },
         finding_kind::kAliasDuplicate, "c.test", "conf/server.xml", "<Alias>B.test<"},
        // The twin of a name is exactly "www." + the name.
        {"alias twin, a name that only ends like it",
         [=] { edit(server, "<Alias>www.b.test</Alias>", "<Alias>xb.test</Alias><Alias>www.xb.test</Alias>"); },
         finding_kind::kAliasTwinMissing, "a.test", "conf/server.xml", "<Alias>b.test<"},
    };
  }

  // How many findings are that of the drift (the problem aside).
  size_t findingsOf(const Drift& drift) {
    const std::string path = pathOf(drift.file);
    // The display form is the platform's; the provider's paths may use either
    // separator on Windows.
    const Finding expected{drift.kind, *drift.host ? display(w(drift.host)) : L"", L"", slashes(w(path)),
                           drift.lineOf.empty() ? 0 : lineOf(path, drift.lineOf)};
    size_t matching = 0;
    for (Finding found : checkConsistency(context, where())) {
      found.problem.clear();
      found.file = slashes(found.file);
      matching += found == expected;
    }
    return matching;
  }

  PanelLocations where() {
    ITomcatProvider* provider = manager.get_provider();
    return {manager.getServerXmlPath(),
            provider->getWorkersPropertiesPath(),
            provider->getUriWorkerMapPath(),
            provider->getTomcatHome(),
            manager.getVarTomcatDir(),
            removalStoragePath(context),
            provider->getIsapiRedirectPropertiesPath()};
  }
};

TEST_F(ConsistencyCheck, TheCommandsLeaveNothingToFind) {
  EXPECT_EQ(checkConsistency(context, where()), std::vector<Finding>());
  // A copy of the archive in place of the link is what the commands make
  // where no hard link can be made.
  const std::string link = var("hcp-webapps/a.test/shop.war");
  const std::string archive = readFile(link);
  std::filesystem::remove(link);
  testing_support::writeFile(link, archive);
  EXPECT_EQ(checkConsistency(context, where()), std::vector<Finding>());
  // Temporary files of other files' saves are not the panel's.
  testing_support::writeFile(home("conf/tomcat-users.xml.~4711.1.tmp"), "");
  testing_support::writeFile(home("hcp-users/c.test.txt.~4711.1.tmp"), "");
  EXPECT_EQ(checkConsistency(context, where()), std::vector<Finding>());
  // Empty items of worker.list name no worker.
  edit(home("conf/workers.properties"), "worker.list=ajp13,a_test", "worker.list=,ajp13,,a_test,");
  EXPECT_EQ(checkConsistency(context, where()), std::vector<Finding>());
  // A stopped application's link stays registered for removal until Tomcat
  // next stops.
  manager.stopWebApp(L"a.test", L"shop", aliasesFile("b.test"));
  ASSERT_TRUE(testing_support::pathExists(link));
  EXPECT_EQ(checkConsistency(context, where()), std::vector<Finding>());
}

TEST_F(ConsistencyCheck, AServerXmlThatIsNotWellFormedFailsWithItsPath) {
  edit(home("conf/server.xml"), "</Server>", "</Servr>");
  EXPECT_NE(
      testing_support::failureTextOf([&] { checkConsistency(context, where()); }).find(manager.getServerXmlPath()),
      std::wstring::npos);
}

TEST_F(ConsistencyCheck, EachDriftIsFoundAtItsPlace) {
  for (const Drift& drift : drifts()) {
    SCOPED_TRACE(drift.name);
    SetUp();
    drift.change();
    EXPECT_EQ(findingsOf(drift), 1u) << testing::PrintToString(checkConsistency(context, where()));
  }
}

// A hand-written alias that holds '/' cannot be told apart in a mount key's
// first segment: its host's keys are looked up whole, the first line of each
// deciding.
TEST_F(ConsistencyCheck, AnAliasThatHoldsASlashHasItsMountsLookedUpWhole) {
  const std::string map = home("conf/uriworkermap.properties");
  edit(home("conf/server.xml"), "<Alias>www.b.test</Alias>", "<Alias>www.b.test</Alias><Alias>p/q.test</Alias>");
  edit(map, "/a.test/shop=a_test", "/a.test/shop=a_test\r\n/p/q.test/shop=a_test\r\n/p/q.test/shop/*=a_test");
  auto missing = [&] {
    const std::vector<Finding> found = checkConsistency(context, where());
    return std::count_if(found.begin(), found.end(),
                         [](const Finding& f) { return f.kind == finding_kind::kMountsMissing; });
  };
  EXPECT_EQ(missing(), 0);
  edit(map, "/p/q.test/shop/*=a_test", "/p/q.test/shop/*=c_test\r\n/p/q.test/shop/*=a_test");
  EXPECT_EQ(missing(), 1);
}

// Findings come by file (server.xml, workers.properties,
// uriworkermap.properties, then the others by path) and line, and --fix
// repairs in their order.
TEST_F(ConsistencyCheck, FindingsAndRepairsComeInTheOrderOfFilesAndLines) {
  const std::set<std::string> together = {"worker key",           "worker without Host", "mount of no worker",
                                          "realm file",           "alias twin",          "appBase",
                                          "directory of no Host", "link differs"};
  for (const Drift& drift : drifts()) {
    if (together.count(drift.name)) drift.change();
  }
  const std::vector<Finding> found = checkConsistency(context, where());
  const std::vector<std::wstring> firstFiles = {where().serverXml, where().workers, where().uriWorkerMap};
  auto place = [&](const Finding& f) {
    const size_t first = std::find(firstFiles.begin(), firstFiles.end(), f.file) - firstFiles.begin();
    return std::make_tuple(first, first < firstFiles.size() ? L"" : f.file, f.line);
  };
  EXPECT_TRUE(std::is_sorted(found.begin(), found.end(), [&](const Finding& a, const Finding& b) {
    return place(a) < place(b);
  })) << testing::PrintToString(found);
  std::set<std::wstring> files;
  for (const Finding& f : found) files.insert(f.file);
  ASSERT_GE(files.size(), 5u) << testing::PrintToString(found);
  // Each repair comes at the place of the first finding of its kind and host.
  const std::vector<Repair> repairs = repairConsistency(manager, where());
  ASSERT_GE(repairs.size(), 3u);
  size_t last = 0;
  for (const Repair& repair : repairs) {
    const size_t at = std::find_if(found.begin(), found.end(),
                                   [&](const Finding& f) { return f.kind == repair.kind && f.host == repair.host; }) -
                      found.begin();
    EXPECT_GE(at, last) << testing::PrintToString(repair.kind) << " " << testing::PrintToString(found);
    last = at;
  }
}

// --fix repairs these kinds and leaves the rest, and the files and
// directories they name, as they are; it creates no missing property file.
TEST_F(ConsistencyCheck, FixRepairsWhatItMayAndLeavesTheRest) {
  namespace kind = finding_kind;
  const std::set<std::wstring> repairable = {kind::kWorkerMissing,      kind::kWorkerOrphan,     kind::kWorkerKeys,
                                             kind::kMountUnknownWorker, kind::kMountForeignHost, kind::kMountsOrphan,
                                             kind::kMountsMissing,      kind::kAliasTwinMissing, kind::kLinkDiffers,
                                             kind::kTemporaryFileLeft};
  for (const Drift& drift : drifts()) {
    SCOPED_TRACE(drift.name);
    SetUp();
    drift.change();
    const std::string path = pathOf(drift.file);
    const bool existed = testing_support::pathExists(path);
    const std::string before = std::filesystem::is_regular_file(path) ? readFile(path) : "";
    const std::vector<Repair> repairs = repairConsistency(manager, where());
    if (repairable.count(drift.kind) && existed) {
      EXPECT_FALSE(repairs.empty());
      EXPECT_EQ(checkConsistency(context, where()), std::vector<Finding>());
      continue;
    }
    // Its line in server.xml or a property file is where it was; any other
    // file or directory is untouched.
    EXPECT_EQ(findingsOf(drift), 1u);
    EXPECT_EQ(testing_support::pathExists(path), existed);
    if (!drift.file.starts_with("conf/") && std::filesystem::is_regular_file(path)) {
      EXPECT_EQ(readFile(path), before);
    }
  }
}

// An orphan worker whose name the files cannot hold is left reported; the
// repair of the rest (a.test's worker, c.test's port) goes on.
TEST_F(ConsistencyCheck, FixLeavesAnOrphanWorkerItCannotAddress) {
  const std::string workers = home("conf/workers.properties");
  edit(workers, "worker.a_test.type", "worker.x test.type");
  edit(workers, "c_test.port=9008", "c_test.port=9009");
  repairConsistency(manager, where());
  const std::vector<Finding> left = checkConsistency(context, where());
  ASSERT_EQ(left.size(), 1u) << testing::PrintToString(left);
  EXPECT_EQ(left[0].kind, finding_kind::kWorkerOrphan);
  EXPECT_NE(left[0].problem.find(L"x test"), std::wstring::npos);
}

// Two Hosts whose names differ only in letter case show one display form;
// each one's worker and twin are repaired on its own.
TEST_F(ConsistencyCheck, HostsWhoseNamesDifferInCaseAreRepairedEachOnItsOwn) {
  edit(home("conf/server.xml"), "<Host name=\"c.test\"", "<Host name=\"A.TEST\"");
  repairConsistency(manager, where());
  for (const Finding& f : checkConsistency(context, where())) {
    EXPECT_TRUE(f.kind != finding_kind::kWorkerMissing && f.kind != finding_kind::kAliasTwinMissing)
        << testing::PrintToString(f);
  }
}

// A name no command would write has no display form: it is shown as
// written, and the check goes on.
TEST_F(ConsistencyCheck, NamesWithoutADisplayFormAreShownAsWritten) {
  edit(home("conf/server.xml"), "<Host name=\"c.test\"", "<Host name=\"-c.test\"");
  edit(home("conf/uriworkermap.properties"), "/www.b.test/shop/*=a_test",
       "/www.b.test/shop/*=a_test\r\n/-d.test/shop=z_test");
  const std::vector<Finding> found = checkConsistency(context, where());
  auto has = [&](const std::wstring& kind, const std::wstring& host) {
    return std::any_of(found.begin(), found.end(), [&](const Finding& f) { return f.kind == kind && f.host == host; });
  };
  EXPECT_TRUE(has(finding_kind::kHostFilesMissing, L"-c.test")) << testing::PrintToString(found);
  EXPECT_TRUE(has(finding_kind::kMountUnknownWorker, L"-d.test")) << testing::PrintToString(found);
}

}  // namespace

}  // namespace wc
