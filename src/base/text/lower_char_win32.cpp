#include <windows.h>

#include "base/text/strings.h"

namespace wc {

// The invariant locale's simple lower-case mapping, the same for every user
// language (as C.UTF-8 is on POSIX).
wchar_t lowerChar(wchar_t c) {
  if (c < 0x80) return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
  wchar_t lower = c;
  if (LCMapStringW(LOCALE_INVARIANT, LCMAP_LOWERCASE, &c, 1, &lower, 1) != 1) return c;
  return lower;
}

}  // namespace wc
