#include "hcpcheck_tool.h"

#include <cstdio>

#include "app/exclusive_task.h"
#include "app/vconsoleapp.h"
#include "base/crashdump/process_crash_dumps.h"
#include "base/errors/vguard.h"
#include "base/errors/win_error_codes.h"
#include "base/removal/removal_storage_file.h"
#include "base/system/com_apartment.h"
#include "base/system/error_mode.h"
#include "base/text/unicode.h"
#include "check/consistency_check.h"
#include "check/finding_report.h"
#include "redirector/isapi_redirector_config.h"
#include "tomcat/tomcat_manager.h"

namespace {

const char kUsage[] =
    "Usage: hcpcheck [--format=text|--format=json] [--help]\n"
    "\n"
    "Checks that server.xml, workers.properties, uriworkermap.properties and the\n"
    "panel's directories agree with each other and with what wcadmin writes.\n"
    "It reads the files as wcadmin finds them (settings, management service,\n"
    "Tomcat provider), waits for wcadmin's run lock, and changes nothing.\n"
    "\n"
    "--format=text (default) prints one line per finding on stdout:\n"
    "  <kind>: <host or ->: <problem> (<file>:<line>)\n"
    "and nothing when everything is consistent. --format=json prints one JSON\n"
    "document: {\"consistent\":true|false,\"findings\":[{\"kind\",\"host\",\"problem\",\n"
    "\"file\",\"line\"},...]}.\n"
    "\n"
    "Exit codes: 0 consistent, 1 findings printed, 2 the check could not run.\n"
    "With 2, stdout holds the error as wcadmin prints a failure (the message\n"
    "and its call points, in both formats), or, for a usage error, stderr\n"
    "holds the error and this text.\n";

// The check as a run of wcadmin's console frame: the same start and end log
// lines, and a failure printed and logged as wcadmin's, with exit code 2.
class ConsistencyCheck : public vconsoleapp {
 public:
  explicit ConsistencyCheck(bool json) : json_(json) { failureExitCode_ = 2; }

  int start(int, const std::wstring*) override {
    return vguard("hcpcheck::start", __LINE__, L"check consistency", [&] { return go(0, nullptr); });
  }

  int go(int, const std::wstring*) override {
    ExclusiveTask runLock;
    runLock.Initialize(kRunLockName, INFINITE_WAIT);
    TomcatManager manager;
    const IsapiRedirectorConfig redirector = manager.redirectorConfig();
    const PanelLocations where{manager.getServerXmlPath(),    redirector.workersPropertiesPath(),
                               redirector.uriWorkerMapPath(), manager.get_provider()->getTomcatHome(),
                               manager.getVarTomcatDir(),     removalStoragePath()};
    const std::vector<Finding> findings = checkConsistency(where);
    const std::string report = json_ ? findingsJson(findings) : findingsText(findings);
    std::fwrite(report.data(), 1, report.size(), stdout);
    std::fflush(stdout);
    return findings.empty() ? 0 : 1;
  }

 private:
  ComApartment com_;
  bool json_;
};

}  // namespace

int runHcpcheck(const std::vector<std::wstring>& args) {
  bool json = false;
  for (const std::wstring& arg : args) {
    if (arg == L"--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg != L"--format=text" && arg != L"--format=json") {
      std::fprintf(stderr, "hcpcheck: unknown argument '%s'\n\n%s", wideToUtf8Lenient(arg).c_str(), kUsage);
      return 2;
    }
    json = arg == L"--format=json";
  }
  disableFaultDialogs();
  installCrashDumps();
  ConsistencyCheck check(json);
  return check.run(0, nullptr);
}
