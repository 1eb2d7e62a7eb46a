#include "base/log/log_manager.h"

#include <algorithm>
#include <cstdio>

#include "base/errors/os_error.h"
#include "base/files/file_system.h"
#include "base/log/halvo_log.h"
#include "base/log/log_files.h"
#include "base/registry/settings_store.h"
#include "base/system/clock.h"
#include "base/system/process.h"
#include "base/text/convert.h"
#include "base/text/unicode.h"

namespace wc {

namespace {

// A sink that logs (a warning while cleaning up old files, say) sends its
// message through here again; beyond this depth such messages are dropped, so
// that logging can never loop.
constexpr int kMaxNesting = 3;
thread_local int nesting = 0;

struct Nesting {
  Nesting() { ++nesting; }
  ~Nesting() { --nesting; }
  bool tooDeep() const { return nesting > kMaxNesting; }
};

uint16_t eventType(LogLevel level) {
  switch (level) {
    case LOG_INFO:
      return EVENTLOG_INFORMATION_TYPE;
    case LOG_WARNING:
      return EVENTLOG_WARNING_TYPE;
    case LOG_RESULT:
      return EVENTLOG_SUCCESS;
    default:
      return EVENTLOG_ERROR_TYPE;
  }
}

constexpr size_t kMaxModulePath = 260;

}  // namespace

Context processMachine() {
  Context machine;
  machine.files = &systemFileSystem();
  machine.settings = &registry::systemSettingsStore();
  machine.clock = &systemClock();
  return machine;
}

LogManager& LogManager::instance() {
  static LogManager manager;
  return manager;
}

LogManager::LogManager() {
  context_ =
      acquireExecuteContext(exportedExecuteContextSlots(), m_ExecuteContext_4D93FADE_7B9E_4286_AE07_54AF471F7E22);
  if (!context_->sinkTable) {
    context_->sinkTable = new unsigned char[kSinkTableSize]();
    applyDefaultSwitches();
  }
}

LogManager::~LogManager() {
  closeEventLog();
  releaseExecuteContext(context_, m_ExecuteContext_4D93FADE_7B9E_4286_AE07_54AF471F7E22);
}

void LogManager::applyDefaultSwitches() { SinkSwitches::fillDefaults(context_->sinkTable, isDebugEnabled()); }

void LogManager::dispatch(LogLevel level, const std::wstring& text) { dispatchText(level, text, nullptr); }

void LogManager::dispatch(LogLevel level, const vexception& e) {
  std::wstring text;
  try {
    text = e.fullText();
  } catch (...) {
    text = e.message();
  }
  dispatchText(level, text, &e);
}

void LogManager::dispatchText(LogLevel level, const std::wstring& text, const vexception* e) {
  Nesting depth;
  if (depth.tooDeep()) return;
  try {
    writeDebugLog(level, text);
  } catch (...) {
  }
  try {
    if (switches().eventLog(level)) reportEvent(level, text);
  } catch (...) {
  }
  try {
    if (switches().console(level)) printConsole(text);
  } catch (...) {
  }
  std::vector<std::shared_ptr<LogSink>> sinks;
  try {
    std::lock_guard<std::mutex> guard(sinksLock_);
    sinks = sinks_;
  } catch (...) {
  }
  for (const auto& sink : sinks) {
    try {
      if (e)
        sink->write(level, *e);
      else
        sink->write(level, text);
    } catch (...) {
    }
  }
}

void LogManager::writeDebugLog(LogLevel level, const std::wstring& text) {
  if (!isDebugEnabled()) return;
  halvo::logging::HalvoLog log(machine_, L"debug", true);
  log.write(wstrLenient(levelName(level)) + L": " + text);
}

const std::wstring& LogManager::sourceName() {
  std::lock_guard<std::recursive_mutex> guard(eventLock_);
  if (sourceName_.empty()) sourceName_ = halvo::logging::fileNamePart(programPath());
  return sourceName_;
}

EventSource& LogManager::getEventLog() {
  std::wstring source = sourceName();
  std::lock_guard<std::recursive_mutex> guard(eventLock_);
  if (!eventLog_.isOpen()) {
    uint32_t error = 0;
    EventSource registered = registerEventSource(machine_, source, error);
    if (!registered.isOpen()) throwOsError(L"RegisterEventSource", error, VCALLPOINT(L"", "LogManager::getEventLog"));
    eventLog_ = std::move(registered);
  }
  return eventLog_;
}

void LogManager::closeEventLog() {
  std::lock_guard<std::recursive_mutex> guard(eventLock_);
  eventLog_.close();
}

void LogManager::reportEvent(LogLevel level, const std::wstring& text) {
  EventSource& source = getEventLog();
  std::wstring module = programPath();
  if (module.size() > kMaxModulePath) module.resize(kMaxModulePath);
  std::lock_guard<std::recursive_mutex> guard(eventLock_);
  if (!source.isOpen()) return;
  if (source.report(eventType(level), 0, 1, {module, text}) != 0) {
    // Register afresh with the next message; this one is lost.
    source.close();
  }
}

void LogManager::printConsole(const std::wstring& text) {
  SinkSwitches sw = switches();
  if (sw.consoleHasOutput())
    std::fputs("\n", stdout);
  else
    sw.setConsoleHasOutput(true);
  std::string utf8 = wideToUtf8Lenient(text);
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
  // The panel reads the output as it comes.
  std::fflush(stdout);
}

void LogManager::addSink(std::shared_ptr<LogSink> sink) {
  std::lock_guard<std::mutex> guard(sinksLock_);
  sinks_.push_back(std::move(sink));
}

void LogManager::removeSink(const LogSink* sink) {
  std::lock_guard<std::mutex> guard(sinksLock_);
  sinks_.erase(std::remove_if(sinks_.begin(), sinks_.end(), [&](const auto& s) { return s.get() == sink; }),
               sinks_.end());
}

}  // namespace wc
