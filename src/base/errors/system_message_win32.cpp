// The system's own message texts, from the Windows message table.

#include <windows.h>

#include <memory>

#include "base/errors/os_error.h"

namespace wc {

namespace {

struct LocalFreeDeleter {
  void operator()(wchar_t* text) const { LocalFree(text); }
};

bool isTrailingBlank(wchar_t c) { return c == L'\r' || c == L'\n' || c == L' '; }

}  // namespace

std::optional<std::wstring> systemMessageText(uint32_t code) {
  wchar_t* buffer = nullptr;
  const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  const DWORD length = FormatMessageW(flags, nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::unique_ptr<wchar_t, LocalFreeDeleter> owned(buffer);
  if (length == 0 || buffer == nullptr) return std::nullopt;
  std::wstring text(buffer, length);
  // The table's texts end with a line break, which the messages built on
  // them do not want.
  while (!text.empty() && isTrailingBlank(text.back())) text.pop_back();
  if (text.empty()) return std::nullopt;
  return text;
}

}  // namespace wc
