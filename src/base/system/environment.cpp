#include "base/system/environment.h"

namespace wc {

std::wstring expandEnvironmentStrings(std::wstring_view text) {
  std::wstring out;
  size_t i = 0;
  while (i < text.size()) {
    size_t open = text.find(L'%', i);
    if (open == std::wstring_view::npos) break;
    size_t close = text.find(L'%', open + 1);
    if (close == std::wstring_view::npos) break;
    out.append(text.substr(i, open - i));
    std::wstring_view name = text.substr(open + 1, close - open - 1);
    std::optional<std::wstring> value = name.empty() ? std::nullopt : environmentVariable(name);
    if (value) {
      out += *value;
      i = close + 1;
    } else {
      // Not a reference: keep the first '%' and look again from the second.
      out.append(text.substr(open, close - open));
      i = close;
    }
  }
  out.append(text.substr(i));
  return out;
}

}  // namespace wc
