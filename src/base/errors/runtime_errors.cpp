#include "base/errors/runtime_errors.h"

#include "base/errors/os_error.h"
#include "base/text/convert.h"

namespace wc {

namespace RunTime {

std::wstring systemErrorText(uint32_t code) {
  std::wstring text;
  if (std::optional<std::wstring> system = systemMessageText(code)) {
    text = *system;
  } else if (code >= 0x80040200u && code <= 0x8004FFFFu && (code & 0xFFFFu) != 0x0200u) {
    text = vaformat(L"IDispatch error #%d", static_cast<int>((code - 0x200u) & 0xFFFFu));
  } else {
    text = vaformat(L"Unknown error 0x%0lX", code);
  }
  if (!text.empty() && text.back() == L'\n') {
    text.pop_back();
    if (!text.empty() && text.back() == L'\r') text.pop_back();
  }
  return text;
}

void throwErrorText(const std::wstring& text, uint32_t code) {
  if (code == 0) throw std::runtime_error(cstrLenient(text));
  std::string message = cstrLenient(vaformat(L"%s: (%d) %s", text, code, systemErrorText(code)));
  switch (code) {
    case 2:
    case 3:
      throw PathNotFoundException(message);
    case 5:
      throw AccessDeniedException(message);
    case 6:
      throw InvalidHandleException(message);
    case 15:
    case 26:
    case 34:
    case 123:
    case 161:
    case 267:
      throw InvalidPathException(message);
    case 32:
    case 33:
    case 36:
      throw SharingViolationException(message);
    case 80:
    case 183:
      throw AlreadyExistsException(message);
    case 145:
      throw DirectoryNotEmptyException(message);
    case 1332:
      throw NoneMappedException(message);
    default:
      throw std::runtime_error(message);
  }
}

}  // namespace RunTime

}  // namespace wc
