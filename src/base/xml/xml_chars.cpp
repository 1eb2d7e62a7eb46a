#include "base/xml/xml_chars.h"

#include "base/text/unicode.h"
#include "base/text/vaformat.h"

namespace wc {

bool isXmlChar(char32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

bool isXmlNameStartChar(char32_t c) {
  return c == ':' || c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= 0xC0 && c <= 0xD6) ||
         (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) || (c >= 0x370 && c <= 0x37D) ||
         (c >= 0x37F && c <= 0x1FFF) || (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
         (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF) ||
         (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool isXmlNameChar(char32_t c) {
  return isXmlNameStartChar(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 ||
         (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

bool isValidXmlName(std::wstring_view name) {
  if (name.empty() || !isXmlNameStartChar(static_cast<char32_t>(name[0]))) return false;
  for (wchar_t c : name) {
    if (!isXmlNameChar(static_cast<char32_t>(c))) return false;
  }
  return true;
}

std::optional<char32_t> firstNonXmlChar(std::wstring_view text) {
  char32_t c = 0;
  for (size_t i = 0; i < text.size();) {
    if (!nextCodePoint(text, i, c) || !isXmlChar(c)) return c;
  }
  return std::nullopt;
}

std::wstring describeChar(char32_t c) { return vaformat(L"U+%04X", static_cast<uint32_t>(c)); }

}  // namespace wc
