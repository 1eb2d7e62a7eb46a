// The "ANSI code page" is the system's (CP_ACP); a system set to UTF-8
// (code page 65001) gets the program's own UTF-8 rules.

#include "base/text/convert.h"

#include <windows.h>

#include "base/text/unicode.h"

namespace wc {

namespace {

bool ansiIsUtf8() { return GetACP() == CP_UTF8; }

std::optional<std::wstring> toWide(std::string_view ansi, DWORD flags) {
  if (ansi.empty()) return std::wstring();
  const int size = static_cast<int>(ansi.size());
  int length = MultiByteToWideChar(CP_ACP, flags, ansi.data(), size, nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::wstring wide(static_cast<size_t>(length), L'\0');
  if (MultiByteToWideChar(CP_ACP, flags, ansi.data(), size, wide.data(), length) != length) return std::nullopt;
  return wide;
}

// `strict`: fails where a character has no exact form in the code page
// (no best-fit look-alikes, no default character).
std::optional<std::string> toAnsi(std::wstring_view wide, bool strict) {
  if (wide.empty()) return std::string();
  const int size = static_cast<int>(wide.size());
  const DWORD flags = strict ? WC_NO_BEST_FIT_CHARS : 0;
  BOOL usedDefault = FALSE;
  int length =
      WideCharToMultiByte(CP_ACP, flags, wide.data(), size, nullptr, 0, nullptr, strict ? &usedDefault : nullptr);
  if (length <= 0 || usedDefault) return std::nullopt;
  std::string ansi(static_cast<size_t>(length), '\0');
  if (WideCharToMultiByte(CP_ACP, flags, wide.data(), size, ansi.data(), length, nullptr, nullptr) != length)
    return std::nullopt;
  return ansi;
}

}  // namespace

std::optional<std::wstring> ansiToWide(std::string_view ansi) {
  return ansiIsUtf8() ? utf8ToWide(ansi) : toWide(ansi, MB_ERR_INVALID_CHARS);
}

std::optional<std::string> wideToAnsi(std::wstring_view wide) {
  return ansiIsUtf8() ? wideToUtf8(wide) : toAnsi(wide, true);
}

std::wstring wstrLenient(std::string_view ansi) {
  return ansiIsUtf8() ? utf8ToWideLenient(ansi) : toWide(ansi, 0).value_or(std::wstring());
}

std::string cstrLenient(std::wstring_view wide) {
  return ansiIsUtf8() ? wideToUtf8Lenient(wide) : toAnsi(wide, false).value_or(std::string());
}

}  // namespace wc
