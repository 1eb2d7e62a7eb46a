#include "fuzz_check.h"

#include <stdlib.h>

namespace wc {

namespace fuzzing {

void setEnvironmentVariable(const std::string& name, const std::string& value) {
  check(::setenv(name.c_str(), value.c_str(), 1) == 0, "the environment variable can be set", name);
}

}  // namespace fuzzing

}  // namespace wc
