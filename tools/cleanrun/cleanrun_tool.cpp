// cleanrun: the panel's removal tool. The scheduled task "Deferred removal of
// files by Halvo" runs it with --remove-files to remove what forced removals
// left registered: every entry of the removal storage, whichever service it
// names.

#include "cleanrun_tool.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "base/errors/vexception.h"
#include "base/log/log.h"
#include "base/removal/forced_removal.h"
#include "base/removal/removal_storage_file.h"
#include "base/removal/system_context.h"
#include "base/text/convert.h"

namespace wc {

namespace {

const char kUsage[] =
    "Usage: cleanrun --remove-files\n"
    "\n"
    "Removes every path registered in the panel's removal storage\n"
    "(etc/DeferredRemovalStorage.xml under PRODUCT_ROOT_D of\n"
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config). A running service\n"
    "that holds a path is stopped and started again. What cannot be removed\n"
    "stays registered for the next run; when nothing is left, the scheduled\n"
    "task \"Deferred removal of files by Halvo\" loses its triggers.\n"
    "\n"
    "Exit codes: 0 when the storage was processed (single paths that could\n"
    "not be removed are logged), 1 on a usage error or when the storage or the\n"
    "task could not be handled.\n";

}  // namespace

int runCleanrun(const std::vector<std::wstring>& args) {
  if (args.size() == 1 && args[0] == L"--help") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (args.size() != 1 || args[0] != L"--remove-files") {
    std::fputs(args.empty() ? "cleanrun: missing argument\n\n" : "cleanrun: unexpected arguments\n\n", stderr);
    std::fputs(kUsage, stderr);
    return 1;
  }
  try {
    const Context& context = systemContext();
    forceRemoval(context, removalStoragePath(context), L"", false);
    return 0;
  } catch (const vexception& e) {
    logException(LOG_ERROR, e);
  } catch (const std::exception& e) {
    logMessage(LOG_ERROR, L"%s", wstrLenient(e.what()));
  } catch (...) {
    logMessage(LOG_ERROR, L"Unexpected error");
  }
  return 1;
}

}  // namespace wc
