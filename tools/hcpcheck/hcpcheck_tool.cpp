#include "hcpcheck_tool.h"

#include <cstdio>

#include "base/crashdump/process_crash_dumps.h"
#include "base/errors/vguard.h"
#include "base/errors/win_error_codes.h"
#include "base/removal/removal_storage_file.h"
#include "base/removal/system_context.h"
#include "base/system/com_apartment.h"
#include "base/system/error_mode.h"
#include "base/text/unicode.h"
#include "check/consistency_check.h"
#include "check/consistency_repair.h"
#include "check/finding_report.h"
#include "check/panel_snapshot.h"
#include "frame/exclusive_task.h"
#include "frame/vconsoleapp.h"
#include "redirector/isapi_redirector_config.h"
#include "tomcat/tomcat_manager.h"
#include "wc_version.h"

namespace wc {

namespace {

const char kUsage[] =
    "Usage: hcpcheck [--fix] [--format=text|--format=json] [--help] [--version]\n"
    "\n"
    "Checks that server.xml, workers.properties, uriworkermap.properties and the\n"
    "panel's directories agree with each other and with what wcadmin writes.\n"
    "It reads the files as wcadmin finds them (settings, management service,\n"
    "Tomcat provider), waits for wcadmin's run lock, and changes nothing\n"
    "without --fix.\n"
    "\n"
    "--format=text (default) prints one line per finding on stdout:\n"
    "  <kind>: <host or ->: <problem> (<file>:<line>)\n"
    "and nothing when everything is consistent. --format=json prints one JSON\n"
    "document: {\"consistent\":true|false,\"findings\":[{\"kind\",\"host\",\"problem\",\n"
    "\"file\",\"line\"},...]}.\n"
    "\n"
    "--fix repairs, through wcadmin's own edits, missing, orphan and rewritten\n"
    "workers, mounts of no worker, of a foreign host or of no started\n"
    "application, missing mounts of a started application, a missing \"www.\"\n"
    "twin and a started link that is no longer the archive's; it restarts Tomcat\n"
    "when server.xml changed and Tomcat runs. It never removes archives, realm\n"
    "files or directories. It prints one line per repair,\n"
    "  fixed: <kind>: <host or ->: <what was done>\n"
    "(with --format=json a \"fixed\" array of {\"kind\",\"host\",\"done\"} beside\n"
    "\"findings\"), then checks again and reports what is left as above.\n"
    "\n"
    "Exit codes: 0 consistent, 1 findings printed, 2 the check could not run.\n"
    "With 2, stdout holds the error as wcadmin prints a failure (the message\n"
    "and its call points, in both formats), or, for a usage error, stderr\n"
    "holds the error and this text.\n"
    "\n"
    "--version prints \"hcpcheck <version>\" and exits with 0.\n";

// The snapshot, kept to the end of the process: it ends right after the
// report, and the snapshot's blocks (some hundred thousand at thousands of
// hosts, slower to free one by one than most rules are to run) go back to the
// system with it. Kept where leak checkers see it.
const PanelSnapshot& snapshotKeptToTheEnd(const Context& context, const PanelLocations& where) {
  static const PanelSnapshot* kept = nullptr;
  const PanelSnapshot* read = new PanelSnapshot(readPanelSnapshot(context, where));
  delete kept;
  kept = read;
  return *kept;
}

// The check as a run of wcadmin's console frame: the same start and end log
// lines, and a failure printed and logged as wcadmin's, with exit code 2.
class ConsistencyCheck : public vconsoleapp {
 public:
  ConsistencyCheck(const Context& context, bool json, bool fix) : context_(context), json_(json), fix_(fix) {
    failureExitCode_ = 2;
  }

  int start(int, const std::wstring*) override {
    return vguard("hcpcheck::start", __LINE__, L"check consistency", [&] { return go(0, nullptr); });
  }

  int go(int, const std::wstring*) override {
    ExclusiveTask runLock;
    runLock.Initialize(kRunLockName, INFINITE_WAIT);
    TomcatManager manager(context_);
    const IsapiRedirectorConfig redirector = manager.redirectorConfig();
    ITomcatProvider* provider = manager.get_provider();
    const PanelLocations where{manager.getServerXmlPath(),
                               redirector.workersPropertiesPath(),
                               redirector.uriWorkerMapPath(),
                               provider->getTomcatHome(),
                               manager.getVarTomcatDir(),
                               removalStoragePath(context_),
                               provider->getIsapiRedirectPropertiesPath()};
    // The second check reports what the repairs left.
    const std::vector<Repair> fixed = fix_ ? repairConsistency(manager, where) : std::vector<Repair>();
    const std::vector<Finding> findings = checkConsistency(snapshotKeptToTheEnd(context_, where));
    std::string report;
    if (json_) {
      report = fix_ ? findingsJson(findings, fixed) : findingsJson(findings);
    } else {
      report = repairsText(fixed) + findingsText(findings);
    }
    std::fwrite(report.data(), 1, report.size(), stdout);
    std::fflush(stdout);
    return findings.empty() ? 0 : 1;
  }

 private:
  ComApartment com_;
  const Context context_;
  bool json_;
  bool fix_;
};

}  // namespace

int runHcpcheck(const std::vector<std::wstring>& args) {
  bool json = false;
  bool fix = false;
  for (const std::wstring& arg : args) {
    if (arg == L"--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == L"--version") {
      std::fputs("hcpcheck " WC_VERSION "\n", stdout);
      return 0;
    }
    if (arg == L"--fix") {
      fix = true;
      continue;
    }
    if (arg != L"--format=text" && arg != L"--format=json") {
      std::fprintf(stderr, "hcpcheck: unknown argument '%s'\n\n%s", wideToUtf8Lenient(arg).c_str(), kUsage);
      return 2;
    }
    json = arg == L"--format=json";
  }
  disableFaultDialogs();
  installCrashDumps();
  ConsistencyCheck check(systemContext(), json, fix);
  return check.run(0, nullptr);
}

}  // namespace wc
