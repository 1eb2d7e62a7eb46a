#include "fuzz_environment.h"

#include <stdlib.h>

#include "fuzz_check.h"

namespace fuzzing {

void setEnvironmentVariable(const std::string& name, const std::string& value) {
  check(::setenv(name.c_str(), value.c_str(), 1) == 0, "the environment variable can be set", name);
}

}  // namespace fuzzing
