#pragma once
// A view of the shared sink table: which level reaches the console and the
// event log, and whether the console has printed anything yet. Shared by all
// threads and modules without a lock; written only at start-up and by
// logResult.

#include "base/log/execute_context.h"
#include "base/log/log.h"

namespace wc {

class SinkSwitches {
 public:
  explicit SinkSwitches(unsigned char* table) : table_(table) {}

  // The defaults: console for Result and above; event log for Error and above,
  // and for Info, Warning and Result too while Debug is on.
  static void fillDefaults(unsigned char* table, bool debugEnabled);

  // Levels outside 0-5 have no switch and reach neither sink.
  bool console(LogLevel level) const;
  bool eventLog(LogLevel level) const;
  void setConsole(LogLevel level, bool on);
  void setEventLog(LogLevel level, bool on);
  bool consoleHasOutput() const { return table_[12] != 0; }
  void setConsoleHasOutput(bool on) { table_[12] = on ? 1 : 0; }

 private:
  static bool known(LogLevel level) { return level >= 0 && level <= 5; }
  unsigned char* table_;
};

}  // namespace wc
