#include "base/errors/com_error.h"

#include "base/errors/os_error.h"
#include "base/text/vaformat.h"

namespace wc {

std::wstring ComError::errorMessage() const {
  if (std::optional<std::wstring> text = systemMessageText(hresult_)) {
    std::wstring t = *text;
    if (!t.empty() && t.back() == L'\n') {
      t.pop_back();
      if (!t.empty() && t.back() == L'\r') t.pop_back();
    }
    return t;
  }
  if (hresult_ >= 0x80040200u && hresult_ <= 0x8004FFFFu && (hresult_ & 0xFFFFu) != 0x0200u) {
    return vaformat(L"IDispatch error #%d", static_cast<int>((hresult_ - 0x200u) & 0xFFFFu));
  }
  return vaformat(L"Unknown error 0x%0lX", hresult_);
}

vexception comErrorException(const ComError& error, const std::wstring& context, const char* function, uint32_t line) {
  std::wstring message = error.errorMessage();
  message += vaformat(error.interop() ? L" (COM Interop Error %08X" : L" (COM Error %08X", error.hresult());
  if (!error.description().empty()) {
    message += L", Description: ";
    message += error.description();
  }
  message += L")\n   at ";
  message += context;
  return vexception(message, vcallpoint{L"", function, line});
}

}  // namespace wc
