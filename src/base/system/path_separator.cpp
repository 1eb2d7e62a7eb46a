#include "base/system/path_separator.h"

namespace wc {

std::wstring toPlatformSeparators(std::wstring_view path) {
  wchar_t own = pathSeparator();
  wchar_t other = own == L'/' ? L'\\' : L'/';
  std::wstring out(path);
  for (wchar_t& c : out) {
    if (c == other) c = own;
  }
  return out;
}

}  // namespace wc
