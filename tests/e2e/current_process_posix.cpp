#include "e2e/current_process.h"

#include <unistd.h>

namespace e2e {

int currentProcessId() { return static_cast<int>(getpid()); }

}  // namespace e2e
