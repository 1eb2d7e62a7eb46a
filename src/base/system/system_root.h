#pragma once
// The sandbox contract: every piece of machine-wide state on POSIX (settings
// store, services, locks, pipes, scheduled tasks, event log) lives under one
// root directory, HCP_SYSTEM_ROOT (default "/"). A test or the demo points it
// at a fresh directory and gets a private machine.

#include <string>
#include <string_view>

namespace wc {

// The root, without a trailing separator except for "/" itself.
std::wstring systemRoot();
// `relative` (e.g. L"etc/halvo/registry.reg") under the root.
std::wstring underSystemRoot(std::wstring_view relative);
// True when the root is "/", the real machine.
bool systemRootIsReal();

}  // namespace wc
