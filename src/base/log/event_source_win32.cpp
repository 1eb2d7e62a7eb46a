// The event source of the Windows event log: RegisterEventSourceW on the
// local machine, ReportEventW, DeregisterEventSource.

#include "base/log/event_source.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// After the project's headers: the macros of the Windows headers carry the
// same names as the project's constants.
#include <windows.h>

namespace wc {

struct EventSource::Impl {
  HANDLE handle = nullptr;
  ~Impl() {
    if (handle) DeregisterEventSource(handle);
  }
};

EventSource::EventSource() = default;
EventSource::~EventSource() { close(); }
EventSource::EventSource(EventSource&&) noexcept = default;
EventSource& EventSource::operator=(EventSource&& other) noexcept {
  if (this != &other) {
    close();
    impl_ = std::move(other.impl_);
  }
  return *this;
}

uint32_t EventSource::open(const Context&, const std::wstring& source) {
  close();
  if (source.empty()) return ERROR_INVALID_PARAMETER;
  HANDLE handle = RegisterEventSourceW(nullptr, source.c_str());
  if (!handle) return GetLastError();
  impl_ = std::make_unique<Impl>();
  impl_->handle = handle;
  return 0;
}

bool EventSource::isOpen() const { return impl_ != nullptr; }

void EventSource::close() { impl_.reset(); }

uint32_t EventSource::report(uint16_t type, uint16_t category, uint32_t eventId,
                             const std::vector<std::wstring>& strings) {
  if (!impl_) return ERROR_INVALID_HANDLE;
  std::vector<const wchar_t*> inserts;
  for (const std::wstring& s : strings) inserts.push_back(s.c_str());
  if (!ReportEventW(impl_->handle, type, category, eventId, nullptr, static_cast<WORD>(inserts.size()), 0,
                    inserts.empty() ? nullptr : inserts.data(), nullptr)) {
    return GetLastError();
  }
  return 0;
}

}  // namespace wc
