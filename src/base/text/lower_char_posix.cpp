#include <locale.h>
#include <wctype.h>

#include "base/text/strings.h"

namespace wc {

wchar_t lowerChar(wchar_t c) {
  if (c < 0x80) return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
  static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  return utf8 ? static_cast<wchar_t>(towlower_l(static_cast<wint_t>(c), utf8)) : c;
}

}  // namespace wc
