#pragma once
// Test doubles for the service wrapper: a service manager whose services
// behave as each test scripts them, a clock that stands still but for the
// sleeps, and a log sink that keeps what was logged.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/log/log_manager.h"
#include "base/services/service_control.h"
#include "base/system/clock.h"
#include "support/test_context.h"

namespace wc {

namespace fake {

// Time stands at `now`; sleeps only move the tick count, and are kept.
class FixedClock : public Clock {
 public:
  explicit FixedClock(int64_t now = 1700000000) : now_(now) {}
  uint32_t tickCount() override { return ticks_; }
  int64_t now() override { return now_; }
  LocalTime localTime() override { return toLocalTime(now_); }
  void sleep(uint32_t milliseconds) override {
    sleeps.push_back(milliseconds);
    ticks_ += milliseconds;
  }
  uint32_t elapsed() const { return ticks_; }
  std::vector<uint32_t> sleeps;

 private:
  int64_t now_;
  uint32_t ticks_ = 0;
};

struct Service {
  ServiceStatus status{SERVICE_WIN32_OWN_PROCESS, SERVICE_STOPPED, 0, 0, 0, 0, 0};
  std::vector<std::wstring> dependencies;  // what it depends on
  std::vector<std::wstring> dependents;    // direct dependents, in enumeration order
  // Failures to inject (0 = none).
  uint32_t openError = 0;
  uint32_t startError = 0;
  uint32_t controlError = 0;
  uint32_t enumError = 0;
  uint32_t configError = 0;
  // The query (counting from 1) from which queries fail with queryError.
  int failQueriesFrom = 0;
  uint32_t queryError = 0;
  // Behaviour; the defaults reach the requested state at once.
  std::function<void(Service&)> onStart;
  std::function<void(Service&, uint32_t request)> onControl;
  // Called before each query answers, with the manager's clock's tick count.
  std::function<void(Service&, uint64_t now)> onQuery;
  int queries = 0;
};

// Services as the test scripts them, in the time of `clock`.
class ServiceManager : public ServiceControl {
 public:
  explicit ServiceManager(Clock& clock) : clock(clock) {}

  uint32_t openManager(const wchar_t* machineName, const wchar_t* databaseName, uint32_t access,
                       std::unique_ptr<ServiceManagerHandle>& manager) override;

  Service& add(const std::wstring& name, uint32_t state);
  // Forgets every service and call.
  void clear() {
    services_.clear();
    calls.clear();
  }
  Service& operator[](const std::wstring& name) { return services_.at(name); }

  // "open <name> <access hex>", "start <name>", "control <name> <request>".
  std::vector<std::wstring> calls;
  // The calls of one kind ("start", "control", ...), in order.
  std::vector<std::wstring> callsOf(const std::wstring& kind) const;
  int openHandles = 0;
  uint32_t managerError = 0;
  uint32_t managerAccess = 0;

  // Used by the handles.
  std::map<std::wstring, Service>& services() { return services_; }
  Clock& clock;

 private:
  std::map<std::wstring, Service> services_;
};

// Every message logged while it is installed.
class LogCapture : public LogSink {
 public:
  void write(LogLevel level, const std::wstring& text) override { lines.push_back({level, text}); }
  void write(LogLevel level, const vexception& e) override { lines.push_back({level, e.fullText()}); }
  struct Line {
    LogLevel level;
    std::wstring text;
  };
  std::vector<Line> lines;
  bool contains(LogLevel level, const std::wstring& text) const;
  size_t count(LogLevel level) const;
  // Lines at the level that contain the part.
  int count(LogLevel level, const std::wstring& part) const;
  // Every line with its level, for a failure message.
  std::wstring all() const;
};

// Installs a LogCapture for its lifetime.
struct CapturedLog {
  CapturedLog() { LogManager::instance().addSink(sink); }
  ~CapturedLog() { LogManager::instance().removeSink(sink.get()); }
  LogCapture* operator->() const { return sink.get(); }
  std::shared_ptr<LogCapture> sink = std::make_shared<LogCapture>();
};

}  // namespace fake

}  // namespace wc
