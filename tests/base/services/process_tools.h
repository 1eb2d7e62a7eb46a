#pragma once
// Process and port helpers for the tests of the real service stand-in.

#include <cstdint>

namespace test_process {

// Sends SIGKILL; true when the process existed.
bool killProcess(uint32_t pid);
bool processExists(uint32_t pid);
// A TCP port on 127.0.0.1 that nothing listens on right now.
uint16_t unusedLocalPort();

}  // namespace test_process
