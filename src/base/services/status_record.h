#pragma once
// The status record of a service on POSIX: what the service host reports in
// run/halvo/services/<Name>/status under the sandbox root. The host replaces
// the file as a whole on every change; readers never need the host to answer.
// Plain text, one "field=value" per line.

#include <cstdint>
#include <optional>
#include <string>

#include "base/services/service_control.h"

namespace wc {

struct StatusRecord {
  ServiceStatus status;
  uint32_t hostPid = 0;    // the host that wrote the record
  uint32_t processId = 0;  // the service's command while it runs
};

std::string formatStatusRecord(const StatusRecord& record);
// Nothing when the text is not a complete record.
std::optional<StatusRecord> parseStatusRecord(const std::string& text);

// The service's directory: status record, host lock, output of the command.
std::wstring serviceStateDirectory(const std::wstring& serviceName);
std::wstring statusRecordPath(const std::wstring& serviceName);
std::wstring hostLockPath(const std::wstring& serviceName);
std::wstring serviceOutputPath(const std::wstring& serviceName);

// What a query reports for a service whose host is gone: stopped, and when the
// record still claimed otherwise, ended unexpectedly.
StatusRecord recordOfDeadHost(const std::optional<StatusRecord>& lastRecord);

}  // namespace wc
