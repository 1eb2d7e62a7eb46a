#include "base/system/environment.h"

#include <stdlib.h>

#include "base/text/convert.h"

namespace wc {

std::optional<std::wstring> environmentVariable(std::wstring_view name) {
  const char* value = getenv(cstrLenient(name).c_str());
  if (!value) return std::nullopt;
  return wstrLenient(value);
}

}  // namespace wc
