#pragma once
// A registered event source of the Windows event log, in the shape of
// RegisterEventSourceW/ReportEventW/DeregisterEventSource. On POSIX the events
// go to syslog (facility user, ident = the source name) on the real machine,
// and in a sandbox to one line each in var/log/halvo/events.log under the root.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/system/clock.h"
#include "base/system/context.h"

namespace wc {

constexpr uint16_t EVENTLOG_SUCCESS = 0x0000;
constexpr uint16_t EVENTLOG_ERROR_TYPE = 0x0001;
constexpr uint16_t EVENTLOG_WARNING_TYPE = 0x0002;
constexpr uint16_t EVENTLOG_INFORMATION_TYPE = 0x0004;

class EventSource {
 public:
  EventSource();
  ~EventSource();  // deregisters
  EventSource(EventSource&&) noexcept;
  EventSource& operator=(EventSource&&) noexcept;
  EventSource(const EventSource&) = delete;
  EventSource& operator=(const EventSource&) = delete;

  // Registers `source` on the local machine: 0 or the error code.
  // The context's clock stamps the events of the sandbox's event file.
  uint32_t open(const Context& context, const std::wstring& source);
  bool isOpen() const;
  void close();
  // Reports one event: 0 or the error code.
  uint32_t report(uint16_t type, uint16_t category, uint32_t eventId, const std::vector<std::wstring>& strings);

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// "Information", "Warning", "Success", "Error" (anything else reads "Error").
const wchar_t* eventTypeName(uint16_t type);

// One event as one line of the sandbox's event file, without the line end:
// "yyyy/mm/dd hh:mm:ss <type> <source>: <string>: <string>...". Line breaks
// inside the strings become the two characters "\n" (and "\r"), so that one
// event stays one line.
std::wstring formatEventLine(const LocalTime& time, uint16_t type, const std::wstring& source,
                             const std::vector<std::wstring>& strings);

// Makes sure the panel's custom event log "Halvo" and a source of that name
// under it exist (one process at a time), and registers the source. A name
// already taken by the Application log is prefixed with "Halvo:  ". Throws on
// failures of the settings store or the lock; returns the source, which is
// not open when the registration itself failed (`error` then holds the code).
EventSource registerEventSource(const Context& context, const std::wstring& source, uint32_t& error);

}  // namespace wc
