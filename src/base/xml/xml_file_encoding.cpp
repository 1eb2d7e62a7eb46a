#include "base/xml/xml_file_encoding.h"

#include <optional>

#include "base/text/strings.h"
#include "base/text/unicode.h"
#include "base/text/vaformat.h"
#include "base/xml/xml_chars.h"

namespace wc {

namespace {

bool startsWithBytes(std::string_view bytes, std::string_view prefix) {
  return bytes.substr(0, prefix.size()) == prefix;
}

std::string swapByteOrder(std::string_view bytes) {
  std::string swapped(bytes);
  for (size_t i = 0; i + 1 < swapped.size(); i += 2) std::swap(swapped[i], swapped[i + 1]);
  return swapped;
}

std::wstring decodeUtf16(std::string_view bytes, bool bigEndian, DecodedXmlFile& out) {
  if (bytes.size() % 2 != 0) return L"The UTF-16 file has an odd number of bytes";
  std::optional<std::wstring> wide = utf16leToWide(bigEndian ? swapByteOrder(bytes) : std::string(bytes));
  if (!wide) return L"The file holds an invalid UTF-16 sequence";
  std::optional<std::string> utf8 = wideToUtf8(*wide);
  if (!utf8) return L"The file holds an invalid UTF-16 sequence";
  out.utf8 = std::move(*utf8);
  return {};
}

}  // namespace

std::string declaredEncoding(std::string_view text) {
  if (!startsWithXmlDeclaration(text)) return {};
  std::string_view decl = text.substr(0, text.find("?>"));
  size_t at = decl.find("encoding");
  if (at == std::string_view::npos) return {};
  at = decl.find('=', at);
  if (at == std::string_view::npos) return {};
  at = decl.find_first_of("\"'", at);
  if (at == std::string_view::npos) return {};
  size_t end = decl.find(decl[at], at + 1);
  if (end == std::string_view::npos) return {};
  return std::string(decl.substr(at + 1, end - at - 1));
}

std::wstring decodeXmlFile(std::string file, DecodedXmlFile& out) {
  out = DecodedXmlFile{};
  using Kind = XmlFileEncoding::Kind;
  const std::string_view bytes = file;
  if (startsWithBytes(bytes, "\xEF\xBB\xBF")) {
    out.encoding = {Kind::Utf8, true};
    file.erase(0, 3);
    out.utf8 = std::move(file);
    return {};
  }
  if (startsWithBytes(bytes, "\xFF\xFE")) {
    out.encoding = {Kind::Utf16le, true};
    return decodeUtf16(bytes.substr(2), false, out);
  }
  if (startsWithBytes(bytes, "\xFE\xFF")) {
    out.encoding = {Kind::Utf16be, true};
    return decodeUtf16(bytes.substr(2), true, out);
  }
  if (startsWithBytes(bytes, std::string_view("<\0?\0", 4))) {
    out.encoding = {Kind::Utf16le, false};
    return decodeUtf16(bytes, false, out);
  }
  if (startsWithBytes(bytes, std::string_view("\0<\0?", 4))) {
    out.encoding = {Kind::Utf16be, false};
    return decodeUtf16(bytes, true, out);
  }

  std::string name = declaredEncoding(bytes);
  std::wstring wideName = utf8ToWideLenient(name);
  if (name.empty() || equalsIgnoreCase(wideName, L"UTF-8") || equalsIgnoreCase(wideName, L"UTF8") ||
      equalsIgnoreCase(wideName, L"US-ASCII") || equalsIgnoreCase(wideName, L"ASCII")) {
    out.encoding = {Kind::Utf8, false};
    out.utf8 = std::move(file);
    return {};
  }
  if (equalsIgnoreCase(wideName, L"ISO-8859-1") || equalsIgnoreCase(wideName, L"Latin1") ||
      equalsIgnoreCase(wideName, L"ISO_8859-1") || equalsIgnoreCase(wideName, L"Latin-1")) {
    out.encoding = {Kind::Latin1, false};
    std::wstring wide;
    wide.reserve(bytes.size());
    for (char b : bytes) wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(b)));
    out.utf8 = wideToUtf8Lenient(wide);
    return {};
  }
  return vaformat(L"The encoding '%s' named in the XML declaration is not supported", wideName);
}

bool encodeXmlFile(std::string_view utf8, const XmlFileEncoding& encoding, std::string& out) {
  using Kind = XmlFileEncoding::Kind;
  out.clear();
  if (encoding.kind == Kind::Utf8) {
    if (encoding.byteOrderMark) out = "\xEF\xBB\xBF";
    out.append(utf8);
    return true;
  }
  std::optional<std::wstring> wide = utf8ToWide(utf8);
  if (!wide) return false;
  if (encoding.kind == Kind::Latin1) {
    out.reserve(wide->size());
    for (wchar_t c : *wide) {
      if (static_cast<uint32_t>(c) > 0xFF) return false;
      out.push_back(static_cast<char>(static_cast<unsigned char>(c)));
    }
    return true;
  }
  std::string le = wideToUtf16le(*wide);
  if (encoding.kind == Kind::Utf16le) {
    if (encoding.byteOrderMark) out = "\xFF\xFE";
    out += le;
  } else {
    if (encoding.byteOrderMark) out = "\xFE\xFF";
    out += swapByteOrder(le);
  }
  return true;
}

}  // namespace wc
