#pragma once
// Small string helpers shared by the areas.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wc {

// Lower-cases each character on its own (as the system's per-character
// lower-casing does), not by language rules.
std::wstring lowerCase(std::wstring_view text);
wchar_t lowerChar(wchar_t c);
bool equalsIgnoreCase(std::wstring_view a, std::wstring_view b);

// Splits at any of `separators`; empty pieces are dropped.
std::vector<std::wstring> splitDroppingEmpty(std::wstring_view text, std::wstring_view separators);

// Orders wide strings by their UTF-16 code units, as Windows compares names
// ordinally: a character above U+FFFF (a surrogate pair) sorts before
// U+E000..U+FFFF. On Linux, where a wide character is a code point, plain
// comparison would put it after them.
bool utf16Less(std::wstring_view a, std::wstring_view b);
struct Utf16Less {
  using is_transparent = void;
  bool operator()(std::wstring_view a, std::wstring_view b) const { return utf16Less(a, b); }
};

// Writes `value` in decimal at `out` (room for 20 digits) and answers how
// many digits: no allocation and no lock, so a signal handler and a child
// between fork and exec may call it.
inline size_t writeDecimal(uint64_t value, char* out) {
  char digits[20];
  size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  for (size_t i = 0; i < count; ++i) out[i] = digits[count - 1 - i];
  return count;
}

bool startsWith(std::wstring_view text, std::wstring_view prefix);
bool endsWith(std::wstring_view text, std::wstring_view suffix);

}  // namespace wc
