#include <unistd.h>

#include "e2e/current_process.h"

namespace e2e {

int currentProcessId() { return static_cast<int>(getpid()); }

}  // namespace e2e
