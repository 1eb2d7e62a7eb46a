#include "base/log/log.h"

#include "base/log/log_manager.h"

namespace wc {

const char* levelName(LogLevel level) {
  switch (level) {
    case LOG_INFO:
      return "Info";
    case LOG_WARNING:
      return "Warning";
    case LOG_RESULT:
      return "Result";
    case LOG_ERROR:
      return "Error";
    case LOG_UNEXPECTED:
      return "Unexpected";
    case LOG_CRASH:
      return "Crash";
    default:
      return "Unknown level";
  }
}

void logText(LogLevel level, const std::wstring& text) {
  try {
    LogManager::instance().dispatch(level, text);
  } catch (...) {
  }
}

void logException(LogLevel level, const vexception& e) {
  try {
    LogManager::instance().dispatch(level, e);
  } catch (...) {
  }
}

void logResultText(const std::wstring& text) {
  try {
    LogManager& manager = LogManager::instance();
    SinkSwitches switches = manager.switches();
    // Results are for the caller on the console, not for the event log.
    bool eventLog = switches.eventLog(LOG_RESULT);
    switches.setEventLog(LOG_RESULT, false);
    struct Restore {
      SinkSwitches& switches;
      bool on;
      ~Restore() { switches.setEventLog(LOG_RESULT, on); }
    } restore{switches, eventLog};
    manager.dispatch(LOG_RESULT, text);
  } catch (...) {
  }
}

}  // namespace wc
