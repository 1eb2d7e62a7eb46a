#include "app/entry.h"

#include "app/wcadmin.h"
#include "base/crashdump/process_crash_dumps.h"
#include "base/removal/system_context.h"
#include "base/system/error_mode.h"

namespace wc {

int runEntry(const std::vector<std::wstring>& args) {
  disableFaultDialogs();
  installCrashDumps();
  wcadmin application(systemContext());
  return application.run(static_cast<int>(args.size()), args.data());
}

}  // namespace wc
