#pragma once
// Which characters and names XML allows (XML 1.0, fifth edition).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace wc {

bool isXmlChar(char32_t c);
// Whether a byte of UTF-8 text is an XML blank (space, tab, CR, LF),
// inline for the loops over a file.
inline bool isXmlBlankByte(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
// Whether the text starts with the XML declaration: "<?xml" and a blank
// ("<?xml-stylesheet" is a processing instruction).
inline bool startsWithXmlDeclaration(std::string_view text) {
  return text.size() > 5 && text.substr(0, 5) == "<?xml" && isXmlBlankByte(text[5]);
}
bool isXmlNameStartChar(char32_t c);
bool isXmlNameChar(char32_t c);
bool isValidXmlName(std::wstring_view name);
// The first character that may not appear in an XML document (a lone
// surrogate is one); none when every one may.
std::optional<char32_t> firstNonXmlChar(std::wstring_view text);
inline bool isValidXmlText(std::wstring_view text) { return !firstNonXmlChar(text); }

// "U+0001": how an error names a character.
std::wstring describeChar(char32_t c);

}  // namespace wc
