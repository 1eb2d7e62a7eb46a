#include "base/services/status_record.h"

#include <charconv>
#include <map>
#include <sstream>

#include "base/errors/win_error_codes.h"
#include "base/system/system_root.h"

namespace wc {

namespace {

// The fields in the order they are written.
struct Field {
  const char* name;
  uint32_t* (*get)(StatusRecord&);
};

const Field kFields[] = {
    {"serviceType", [](StatusRecord& r) { return &r.status.serviceType; }},
    {"currentState", [](StatusRecord& r) { return &r.status.currentState; }},
    {"controlsAccepted", [](StatusRecord& r) { return &r.status.controlsAccepted; }},
    {"win32ExitCode", [](StatusRecord& r) { return &r.status.win32ExitCode; }},
    {"serviceSpecificExitCode", [](StatusRecord& r) { return &r.status.serviceSpecificExitCode; }},
    {"checkPoint", [](StatusRecord& r) { return &r.status.checkPoint; }},
    {"waitHint", [](StatusRecord& r) { return &r.status.waitHint; }},
    {"hostPid", [](StatusRecord& r) { return &r.hostPid; }},
    {"processId", [](StatusRecord& r) { return &r.processId; }},
};

}  // namespace

std::string formatStatusRecord(const StatusRecord& record) {
  StatusRecord copy = record;
  std::string text;
  for (const Field& field : kFields) {
    text += field.name;
    text += '=';
    text += std::to_string(*field.get(copy));
    text += '\n';
  }
  return text;
}

std::optional<StatusRecord> parseStatusRecord(const std::string& text) {
  std::map<std::string, uint32_t> values;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    size_t equals = line.find('=');
    if (equals == std::string::npos) return std::nullopt;
    std::string name = line.substr(0, equals);
    const char* first = line.data() + equals + 1;
    const char* last = line.data() + line.size();
    uint32_t value = 0;
    auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || first == last) return std::nullopt;
    values[name] = value;
  }
  StatusRecord record;
  for (const Field& field : kFields) {
    auto it = values.find(field.name);
    if (it == values.end()) return std::nullopt;
    *field.get(record) = it->second;
  }
  if (record.status.currentState < SERVICE_STOPPED || record.status.currentState > SERVICE_PAUSED) return std::nullopt;
  return record;
}

std::wstring serviceStateDirectory(const std::wstring& serviceName) {
  return underSystemRoot(L"run/halvo/services/" + serviceName);
}

std::wstring statusRecordPath(const std::wstring& serviceName) {
  return serviceStateDirectory(serviceName) + L"/status";
}

std::wstring hostLockPath(const std::wstring& serviceName) {
  return serviceStateDirectory(serviceName) + L"/host.lock";
}

std::wstring serviceOutputPath(const std::wstring& serviceName) {
  return serviceStateDirectory(serviceName) + L"/output.log";
}

StatusRecord recordOfDeadHost(const std::optional<StatusRecord>& lastRecord) {
  StatusRecord record;
  record.status.serviceType = SERVICE_WIN32_OWN_PROCESS;
  record.status.currentState = SERVICE_STOPPED;
  if (!lastRecord) return record;
  if (lastRecord->status.currentState == SERVICE_STOPPED) {
    record = *lastRecord;
  } else {
    record.status.win32ExitCode = ERROR_PROCESS_ABORTED;
  }
  record.hostPid = 0;
  record.processId = 0;
  return record;
}

}  // namespace wc
