#pragma once
// The one LogManager of a module: it hands every message to the debug log
// file (while Debug is on), the event log and the console, each switched per
// level in the table shared by all modules of the process, and then to any
// additional sinks. A failing sink loses that message for itself only;
// nothing reaches the caller.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/log/event_source.h"
#include "base/log/execute_context.h"
#include "base/log/log.h"
#include "base/log/sink_switches.h"
#include "base/system/context.h"

namespace wc {

// A further destination for messages.
class LogSink {
 public:
  virtual ~LogSink() = default;
  virtual void write(LogLevel level, const std::wstring& text) = 0;
  virtual void write(LogLevel level, const vexception& e) = 0;
};

// The machine of the process-wide parts that no entry point builds (the log,
// the crash dumps, the provider library) and of the POSIX stand-ins of the
// system's own stores (services, scheduled tasks): the system's files,
// settings and clock. Their tests give the parts a context of their own.
Context processMachine();

class LogManager {
 public:
  static LogManager& instance();

  void dispatch(LogLevel level, const std::wstring& text);
  void dispatch(LogLevel level, const vexception& e);

  SinkSwitches switches() { return SinkSwitches(context_->sinkTable); }
  // Puts the defaults for the current Debug setting into the shared table;
  // the first LogManager of the process does this once.
  void applyDefaultSwitches();

  // The registered event source, registering it on first use. Throws when
  // registration fails.
  EventSource& getEventLog();
  // Deregisters the event source; the next event registers again.
  void closeEventLog();
  // The event source name: the program file's name.
  const std::wstring& sourceName();

  void addSink(std::shared_ptr<LogSink> sink);
  void removeSink(const LogSink* sink);

  LogManager(const LogManager&) = delete;
  LogManager& operator=(const LogManager&) = delete;

 private:
  LogManager();
  ~LogManager();
  void dispatchText(LogLevel level, const std::wstring& text, const vexception* e);
  void writeDebugLog(LogLevel level, const std::wstring& text);
  void reportEvent(LogLevel level, const std::wstring& text);
  void printConsole(const std::wstring& text);

  ExecuteContext* context_;
  const Context machine_ = processMachine();
  std::recursive_mutex eventLock_;  // registration may log, and so come back here
  EventSource eventLog_;
  std::wstring sourceName_;
  std::mutex sinksLock_;
  std::vector<std::shared_ptr<LogSink>> sinks_;
};

}  // namespace wc
