#include "base/errors/vexception.h"

#include "base/errors/os_error.h"
#include "base/text/convert.h"
#include "base/text/vaformat.h"

namespace wc {

std::wstring vexception::fullText() const {
  std::wstring text = message_;
  for (const vcallpoint& cp : callPoints_) {
    text += L"\n   at ";
    text += cp.context;
    text += L"(";
    text += wstrLenient(cp.function);
    text += L" line ";
    text += std::to_wstring(static_cast<int32_t>(cp.line));
    text += L")";
  }
  return text;
}

std::wstring structuredExceptionText(const cwrpexception& e) {
  return vaformat(L"C structured exception: 0x%x", e.code);
}

void throwOutOfMemory() { throw vexception(osErrorText(ERROR_OUTOFMEMORY, nullptr)); }

}  // namespace wc
