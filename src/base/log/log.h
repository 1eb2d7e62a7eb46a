#pragma once
// The program's log calls. Every message goes through the one LogManager of
// the process, which hands it to the console, the event log and (while the
// panel's Debug setting is on) the rotating debug log file, each switched per
// level. Logging never throws to its caller.

#include <cstdint>
#include <string>

#include "base/errors/vexception.h"
#include "base/text/vaformat.h"

namespace wc {

using LogLevel = int;
constexpr LogLevel LOG_INFO = 0;
constexpr LogLevel LOG_WARNING = 1;
constexpr LogLevel LOG_RESULT = 2;
constexpr LogLevel LOG_ERROR = 3;
constexpr LogLevel LOG_UNEXPECTED = 4;
constexpr LogLevel LOG_CRASH = 5;

// "Info", "Warning", "Result", "Error", "Unexpected", "Crash", else "Unknown level".
const char* levelName(LogLevel level);

// Dispatches an already formatted text.
void logText(LogLevel level, const std::wstring& text);
// Dispatches fullText() of the exception.
void logException(LogLevel level, const vexception& e);
// Level "Result" with the event-log switch of that level off for the call: the
// text reaches the console only (and the debug log).
void logResultText(const std::wstring& text);

template <class... Args>
void logMessage(LogLevel level, std::wstring_view format, const Args&... args) {
  logText(level, vaformat(format, args...));
}

template <class... Args>
void logResult(std::wstring_view format, const Args&... args) {
  logResultText(vaformat(format, args...));
}

// Whether the panel's "Debug" value is non-zero; read again on the first call
// and every 16th call after it.
bool isDebugEnabled();

}  // namespace wc
