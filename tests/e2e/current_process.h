#pragma once

namespace e2e {

// This test program's process id (sandbox.sh watches it).
int currentProcessId();

}  // namespace e2e
