#include "frame/vconsoleapp.h"

#include "base/errors/se_translator.h"
#include "base/errors/vguard.h"
#include "base/log/log.h"
#include "base/system/process.h"
#include "frame/command_line_mask.h"

namespace wc {

int vconsoleapp::go(int, const std::wstring*) {
  throw vexception(L"Invalid command " + commandName_, VCALLPOINT(L"", "vconsoleapp::go"));
}

void vconsoleapp::usage() { throw vexception(L"Missing command parameter", VCALLPOINT(L"", "vconsoleapp::usage")); }

void vconsoleapp::cmdNotSupported(const std::wstring& commandList) {
  throw vexception(L"command " + commandName_ + L" not supported. Possible commands:\n" + commandList,
                   VCALLPOINT(L"", "vconsoleapp::cmdNotSupported"));
}

int vconsoleapp::start(int argc, const std::wstring* argv) {
  if (argc > 1) {
    commandName_ = argv[1];
  } else if (commandName_.empty()) {
    usage();
  }
  const int count = argc > 2 ? argc - 2 : 0;
  const std::wstring* arguments = argc > 2 ? argv + 2 : nullptr;
  return vguard(
      "vconsoleapp::start", __LINE__,
      [&] { return vaformat(L"execute console command %s", maskPasswords(commandName_)); },
      [&] { return go(count, arguments); });
}

int vconsoleapp::run(int argc, const std::wstring* argv) {
  const std::wstring loggable = maskPasswords(processCommandLine());
  logMessage(LOG_INFO, L"start %s", loggable);
  int exitCode = failureExitCode_;
  {
    SeTranslatorScope translator;
    try {
      exitCode = start(argc, argv);
    } catch (...) {
      try {
        logException(LOG_ERROR,
                     guardedException("vconsoleapp::run", __LINE__, [&] { return vaformat(L"execute %s", loggable); }));
      } catch (...) {
        // Building the report failed as well; the exit code still says so.
      }
    }
  }
  logMessage(LOG_INFO, L"end %s with code %d", loggable, exitCode);
  return exitCode;
}

}  // namespace wc
