#include "base/pipes/overlapped.h"

#include "base/errors/os_error.h"

namespace wc {

namespace Con {

Overlapped::Overlapped() {
  if (uint32_t code = os::createEvent(true, event_))
    throwOsError(L"Unable to create event", code, VCALLPOINT(L"", "Con::Overlapped::Overlapped"));
}

Overlapped::Overlapped(const Overlapped& other) {
  if (uint32_t code = os::duplicateHandle(other.event_.get(), event_))
    throwOsError(L"Unable to duplicate handle", code, VCALLPOINT(L"", "Con::Overlapped::Overlapped"));
}

void Overlapped::reset() {
  if (uint32_t code = os::resetEvent(event_.get()))
    throwOsError(L"Unable to reset event", code, VCALLPOINT(L"", "Con::Overlapped::resert"));
}

void Overlapped::signal() { os::setEvent(event_.get()); }

}  // namespace Con

}  // namespace wc
