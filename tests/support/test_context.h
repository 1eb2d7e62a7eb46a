#pragma once
// The context a test hands to the code: the machine's own services with the
// test's fakes in their places. Only forward declarations, so that a test
// may include it before a system header.

#include "base/system/context.h"

namespace wc {

namespace testing_support {

inline void putInto(Context& context, FileSystem& files) { context.files = &files; }
inline void putInto(Context& context, registry::SettingsStore& settings) { context.settings = &settings; }
inline void putInto(Context& context, ServiceControl& services) { context.services = &services; }
inline void putInto(Context& context, Clock& clock) { context.clock = &clock; }
inline void putInto(Context& context, LocalUsers& localUsers) { context.localUsers = &localUsers; }

// The machine's own file system, settings store, service control and clock,
// and local accounts that refuse every deletion, with the given fakes in their places:
// `testContext(clock, manager)`.
Context machineContext();
template <class... Fakes>
Context testContext(Fakes&... fakes) {
  Context context = machineContext();
  (putInto(context, fakes), ...);
  return context;
}

// machineContext(), for the tests that put no fake in.
inline const Context context = machineContext();

}  // namespace testing_support

}  // namespace wc
