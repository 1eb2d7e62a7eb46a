#pragma once
// Conversions between the program's wide strings and byte encodings. Wide
// strings hold UTF-16 code units on Windows and code points on Linux; these
// functions handle both.

#include <optional>
#include <string>
#include <string_view>

namespace wc {

// UTF-8 (code page 65001). Nothing when the input is not valid.
std::optional<std::wstring> utf8ToWide(std::string_view utf8);
std::optional<std::string> wideToUtf8(std::wstring_view wide);

// Never fail: invalid input becomes U+FFFD. For texts that must get through
// whatever they hold (exception messages, function names).
std::wstring utf8ToWideLenient(std::string_view utf8);
std::string wideToUtf8Lenient(std::wstring_view wide);

// Decodes the UTF-8 sequence at text[at]: false for an invalid one (an
// overlong form, a surrogate, a value beyond Unicode, a cut sequence).
bool decodeUtf8(std::string_view text, size_t at, char32_t& cp, size_t& length);

// Reads the character at text[i] and moves `i` past it (on Windows a
// surrogate pair is one character of two units). False for a lone surrogate
// or a value beyond Unicode, which `cp` then holds.
bool nextCodePoint(std::wstring_view text, size_t& i, char32_t& cp);

// UTF-16 little-endian bytes (log file, pipe wire format, registry binary data).
std::string wideToUtf16le(std::wstring_view wide);
std::optional<std::wstring> utf16leToWide(std::string_view bytes);

}  // namespace wc
