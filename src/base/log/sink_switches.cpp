#include "base/log/sink_switches.h"

namespace wc {

void SinkSwitches::fillDefaults(unsigned char* table, bool debugEnabled) {
  const unsigned char console[6] = {0, 0, 1, 1, 1, 1};
  for (int level = 0; level < 6; ++level) {
    table[level] = console[level];
    table[6 + level] = level >= LOG_ERROR ? 1 : (debugEnabled ? 1 : 0);
  }
}

bool SinkSwitches::console(LogLevel level) const { return known(level) && table_[level] != 0; }

bool SinkSwitches::eventLog(LogLevel level) const { return known(level) && table_[6 + level] != 0; }

void SinkSwitches::setConsole(LogLevel level, bool on) {
  if (known(level)) table_[level] = on ? 1 : 0;
}

void SinkSwitches::setEventLog(LogLevel level, bool on) {
  if (known(level)) table_[6 + level] = on ? 1 : 0;
}

}  // namespace wc
