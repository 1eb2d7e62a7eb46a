// A mutating command killed anywhere in its run, on a machine of a thousand
// hosts: server.xml and each property file are the old or the new one (never
// cut short), hcpcheck names every state that is out of step, and --fix
// brings every state back to consistent.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <thread>

#include <pugixml.hpp>

#include "cli/panel_machine.h"
#include "support/child_process.h"
#include "support/under_wine.h"

namespace wc {

namespace {

namespace fs = std::filesystem;
using cli::PanelMachine;
using testing_support::ProcessResult;
using testing_support::writeFile;

constexpr int kHosts = 1000;
// Kills per command: half of them spread over the command's run, then kills
// that halve the gap between the latest that found nothing done and the
// earliest that found it all done: the saves are there. WC_CRASH_KILLS sets
// the number (the Windows stage asks for fewer: Wine starts each process
// many times more slowly).
int killsPerCommand() {
  const char* kills = std::getenv("WC_CRASH_KILLS");
  return kills ? std::max(4, std::atoi(kills)) : 12;
}
// For the same reason --fix is left out under Wine where hcpcheck finds
// nothing (the base state shows --fix idle there).
const bool kWine = runningUnderWine();
const std::string kNewHost = "new.test";  // --install-vhost's: the panel made its files, not its Host

ProcessResult hcpcheck(const std::vector<std::string>& args = {}) {
  return testing_support::runProgram("hcpcheck", args);
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// What the commands wrote for zq.test (alias zqa.test), for h<i>.test (alias h<i>a.test).
std::string forHost(const std::string& text, int i) {
  const std::string name = std::string("h").append(std::to_string(i));
  return replaceAll(replaceAll(replaceAll(text, "zqa.", name + "a."), "zq.", name + "."), "zq_", name + "_");
}

// A host's application base, realm file, archive directory and work directory.
std::vector<std::string> hostPaths(const PanelMachine& m, const std::string& host) {
  return {m.varTomcat() + "/hcp-webapps/" + host, m.tomcatHome() + "/hcp-users/" + host + ".xml",
          m.varTomcat() + "/hcp-wars/" + host, m.tomcatHome() + "/work/HCP/" + host};
}

// A host's files as --install-service made them, with App deployed and
// started (a hard link to its archive) and New deployed only.
void layHost(const PanelMachine& m, const std::string& host, const std::string& realm) {
  const std::vector<std::string> paths = hostPaths(m, host);
  fs::create_directories(paths[0]);
  fs::create_directories(paths[2]);
  writeFile(paths[1], realm);
  if (host == kNewHost) return;
  writeFile(paths[2] + "/App.war", "PK archive of App");
  writeFile(paths[2] + "/New.war", "PK archive of New");
  fs::create_hard_link(paths[2] + "/App.war", paths[0] + "/App.war");
}

struct Command {
  std::vector<std::string> args;
  std::vector<std::string> hosts;        // whose files it concerns: the first has them before it runs
  std::string app = "";                  // host/application it starts or stops
  std::vector<std::string> finish = {};  // the panel's next command when the hosts' files are reported
};

// What hcpcheck reads: the three files, a flag for each path of the
// commands' hosts, and whether each command's application is started
// (linked, not registered for removal).
struct State {
  std::string xml, workers, mounts, flags;
  size_t key() const { return std::hash<std::string>()(xml + '\0' + workers + '\0' + mounts + '\0' + flags); }
};

// What a killed save of server.xml, a property file or a realm file left
// beside it.
std::vector<fs::path> temporaryFiles(const PanelMachine& m) {
  std::vector<fs::path> left;
  const std::set<fs::path> dirs{fs::path(m.serverXmlPath()).parent_path(), fs::path(m.workersPath()).parent_path(),
                                fs::path(m.uriMapPath()).parent_path(), fs::path(m.tomcatHome()) / "hcp-users"};
  for (const fs::path& dir : dirs) {
    for (const std::string& name : testing_support::namesIn(dir.string())) {
      if (name.find(".~") != std::string::npos && name.ends_with(".tmp")) left.push_back(dir / name);
    }
  }
  return left;
}

State capture(const PanelMachine& m, const std::vector<Command>& commands) {
  State s{m.serverXml(), m.workers(), m.uriMap(), temporaryFiles(m).empty() ? "" : "T"};
  const std::string removals = m.removalStorage();
  for (const Command& c : commands) {
    for (const std::string& host : c.hosts) {
      for (const std::string& path : hostPaths(m, host)) s.flags += fs::exists(path) ? '1' : '0';
    }
    const std::string link = m.varTomcat() + "/hcp-webapps/" + c.app + ".war";
    const bool registered = removals.find(testing_support::nativePath(link)) != std::string::npos;
    if (!c.app.empty()) s.flags += fs::exists(link) && !registered ? 'S' : '-';
  }
  return s;
}

// 1 when every part is as before the command, 2 as after it, 0 when a part is
// neither or the parts are out of step with each other.
int agreement(const State& now, const State& before, const State& after) {
  int common = 3;
  auto part = [&](const auto& a, const auto& b, const auto& c) { common &= (a == b ? 1 : 0) | (a == c ? 2 : 0); };
  part(now.xml, before.xml, after.xml);
  part(now.workers, before.workers, after.workers);
  part(now.mounts, before.mounts, after.mounts);
  part(now.flags, before.flags, after.flags);
  return common;
}

// The machine before `next`: the base files, and the files of every host
// any command concerns as they were; no temporary file of a killed save.
void restore(const PanelMachine& m, const State& base, const std::vector<Command>& commands, const std::string& realm,
             const Command* next) {
  writeFile(m.serverXmlPath(), base.xml);
  writeFile(m.workersPath(), base.workers);
  writeFile(m.uriMapPath(), base.mounts);
  fs::remove(m.productRoot() + "/etc/DeferredRemovalStorage.xml");
  for (const fs::path& file : temporaryFiles(m)) fs::remove(file);
  for (const Command& c : commands) {
    for (const std::string& host : c.hosts) {
      for (const std::string& path : hostPaths(m, host)) fs::remove_all(path);
    }
    if (c.hosts[0] != kNewHost || &c == next) layHost(m, c.hosts[0], realm);
  }
}

bool reportsHostFiles(const std::string& out, const Command& c) {
  return std::any_of(c.hosts.begin(), c.hosts.end(), [&](const std::string& host) {
    return out.find("host-files-missing: " + host + ": ") != std::string::npos ||
           out.find("host-files-orphan: " + host + ": ") != std::string::npos;
  });
}

// A state --fix could not repair, kept for a look after the run.
std::string keepState(const State& s) {
  const fs::path dir = fs::temp_directory_path() / ("wcadmin-crash-" + std::to_string(s.key()));
  fs::create_directories(dir);
  writeFile((dir / "server.xml").string(), s.xml);
  writeFile((dir / "workers.properties").string(), s.workers);
  writeFile((dir / "uriworkermap.properties").string(), s.mounts);
  return dir.string();
}

// hcpcheck on the machine as `now` has it (its exit code `expected` unless
// that is -1), then --fix and hcpcheck again, which must find nothing. The
// files decide the outcome: a state seen before is not examined again.
void examine(const PanelMachine& m, const Command& c, const State& now, int expected, const std::string& where,
             std::map<size_t, int>& seen) {
  const auto [known, fresh] = seen.try_emplace(now.key(), -1);
  if (!fresh) {
    EXPECT_TRUE(expected < 0 || known->second == expected) << where << ": " << known->second;
    return;
  }
  const ProcessResult check = hcpcheck();
  known->second = check.exitCode;
  const std::string out = where + ": exit " + std::to_string(check.exitCode) + "\n" + check.out.substr(0, 2000);
  EXPECT_TRUE(expected < 0 ? check.exitCode != 2 : check.exitCode == expected) << out;
  EXPECT_EQ(check.out.empty(), check.exitCode == 0) << out;
  // A temporary file is named for what it is, never taken for the file.
  for (size_t at = check.out.find(".tmp"); at != std::string::npos; at = check.out.find(".tmp", at + 1)) {
    EXPECT_EQ(check.out.compare(check.out.rfind('\n', at) + 1, 21, "temporary-file-left: "), 0) << out;
  }
  if (kWine && check.exitCode == 0) return;

  if (!c.finish.empty() && reportsHostFiles(check.out, c)) m.ok(c.finish);
  // --fix checks again when it is done; the extra check is for a repaired state.
  ProcessResult fixed = hcpcheck({"--fix"});
  EXPECT_NE(fixed.exitCode, 2) << where << ":\n" << fixed.out.substr(0, 2000);
  if (!fixed.out.empty()) fixed = hcpcheck();
  EXPECT_EQ(fixed.exitCode, 0) << where << ": --fix left findings; the state is kept in " << keepState(now) << ":\n"
                               << fixed.out.substr(0, 3000) << "\nbefore --fix: " << out;
}

// kHosts hosts, each with an alias and App started, written as the commands
// wrote them for one host.
State buildManyHosts(const PanelMachine& m, std::string& realm) {
  m.installPanelAndHost("zq.test");
  const std::string aliases = "--aliases=" + m.aliasesFile("zqa.test");
  m.ok({"--install-vhost", "--vhost-name=zq.test", aliases});
  m.deployArchive("zq.test", "App");
  m.ok({"--start-webapp", "--vhost-name=zq.test", "--webapp-name=App", aliases});
  const State one{m.serverXml(), m.workers(), m.uriMap(), ""};
  realm = testing_support::readFile(hostPaths(m, "zq.test")[1]);
  for (const std::string& path : hostPaths(m, "zq.test")) fs::remove_all(path);

  const size_t start = one.xml.rfind('\n', one.xml.find("<Host name=\"zq.test\"")) + 1;
  const size_t end = one.xml.find('\n', one.xml.find("</Host>", start)) + 1;
  const size_t listEnd = one.workers.find('\n') + 1;
  State many{one.xml.substr(0, start), "", "", ""};
  std::string list;
  for (int i = 0; i < kHosts; ++i) {
    many.xml += forHost(one.xml.substr(start, end - start), i);
    many.workers += forHost(one.workers.substr(listEnd), i);
    many.mounts += forHost(one.mounts, i);
    list.append(i ? "," : "").append(forHost("zq_test", i));
    layHost(m, forHost("zq.test", i), realm);
  }
  many.xml += one.xml.substr(end);
  many.workers = replaceAll(one.workers.substr(0, listEnd), "zq_test", list) + many.workers;
  return many;
}

TEST(CrashConsistency, ACommandKilledAnywhereLeavesAStateHcpcheckNamesAndFixRepairs) {
  PanelMachine m;
  std::string realm;
  const State base = buildManyHosts(m, realm);
  auto aliases = [&](const std::string& names) { return "--aliases=" + m.aliasesFile(names); };
  const std::vector<std::string> install{"--install-vhost", "--vhost-name=" + kNewHost, aliases("n1.test\nn2.test")};
  const std::vector<std::string> rename{"--rename-vhost", "--old-name=h3.test", "--new-name=renamed.test",
                                        aliases("h3a.test")};
  auto webapp = [&](const std::string& command, const std::string& host, const std::string& app) {
    return Command{{command, "--vhost-name=" + host, "--webapp-name=" + app, aliases(replaceAll(host, ".", "a."))},
                   {host},
                   host + "/" + app};
  };
  // The panel makes a host's files before --install-vhost and removes them
  // after --remove-vhost (--install-service, --remove-service): until then
  // they are rightly reported. When they are, the panel first finishes what
  // was cut short: --install-vhost runs again, --remove-service follows, and
  // --rename-vhost killed between its server.xml save and its moves of the
  // host's files runs again. --fix must then leave nothing to report.
  const std::vector<Command> commands{
      {install, {kNewHost}, "", install},
      {{"--remove-vhost", "--vhost-name=h2.test"}, {"h2.test"}, "", {"--remove-service", "--vhost-name=h2.test"}},
      {rename, {"h3.test", "renamed.test"}, "", rename},
      {{"--add-alias", "--vhost-name=h4.test", "--alias=added.test"}, {"h4.test"}},
      {{"--remove-alias", "--vhost-name=h5.test", "--alias=h5a.test"}, {"h5.test"}},
      webapp("--start-webapp", "h6.test", "New"),
      webapp("--stop-webapp", "h7.test", "App"),
      webapp("--remove-webapp", "h8.test", "App"),
  };
  restore(m, base, commands, realm, nullptr);
  const ProcessResult baseCheck = hcpcheck();
  ASSERT_EQ(baseCheck.exitCode, 0) << "the written machine is not consistent:\n" << baseCheck.out.substr(0, 2000);
  const ProcessResult idle = hcpcheck({"--fix"});
  EXPECT_EQ(idle.exitCode, 0);
  EXPECT_EQ(idle.out, "") << "--fix changed a consistent machine";
  m.writeSettings(false);  // the debug log only slows the runs down

  std::map<size_t, int> seen;
  for (const Command& c : commands) {
    restore(m, base, commands, realm, &c);
    const State before = capture(m, commands);
    examine(m, c, before, -1, c.args[0] + " not run", seen);
    restore(m, base, commands, realm, &c);
    const auto started = std::chrono::steady_clock::now();
    m.ok(c.args);
    const std::chrono::duration<double, std::milli> duration = std::chrono::steady_clock::now() - started;
    const State after = capture(m, commands);
    examine(m, c, after, -1, c.args[0] + " run to its end", seen);

    int landed[4] = {0, 0, 0, 0};
    double nothingDone = 0, allDone = 1.1;  // by the fraction of the run
    const int kills = killsPerCommand(), spread = kills / 2;
    for (int k = 0; k < kills; ++k) {
      restore(m, base, commands, realm, &c);
      const double fraction = k < spread ? 1.1 * k / (spread - 1) : (nothingDone + allDone) / 2;
      const auto delay = duration * fraction;
      {
        testing_support::ChildProcess run("wcadmin", c.args);
        std::this_thread::sleep_for(delay);
        run.kill();
      }
      const std::string where = c.args[0] + " killed after " + std::to_string(std::lround(delay.count())) + " ms";
      const State now = capture(m, commands);
      // Every file is replaced whole, and a command saves each at most once:
      // a kill leaves each as it was before or after, never a cut.
      EXPECT_TRUE(now.xml == before.xml || now.xml == after.xml) << where;
      EXPECT_TRUE(pugi::xml_document().load_string(now.xml.c_str())) << where;
      EXPECT_TRUE(now.workers == before.workers || now.workers == after.workers) << where;
      EXPECT_TRUE(now.mounts == before.mounts || now.mounts == after.mounts) << where;
      // A state out of step is named; one in step is found as the state it
      // agrees with was.
      const int common = agreement(now, before, after);
      ++landed[common];
      if (common == 1) nothingDone = std::max(nothingDone, fraction);
      if (common == 2) allDone = std::min(allDone, fraction);
      examine(m, c, now, common == 0 ? 1 : seen[(common & 1 ? before : after).key()], where, seen);
    }
    std::printf("%s (%.0f ms): %d kills before its saves, %d during, %d after; %zu states so far\n", c.args[0].c_str(),
                duration.count(), landed[1] + landed[3], landed[0], landed[2], seen.size());
  }
}

}  // namespace

}  // namespace wc
