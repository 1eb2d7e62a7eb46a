#include "base/xml/xml_text_codec.h"

#include "base/errors/com_error.h"
#include "base/errors/win_error_codes.h"
#include "base/text/unicode.h"
#include "base/text/vaformat.h"
#include "base/xml/xml_chars.h"

namespace wc {

namespace {

struct Reference {
  size_t length = 0;  // "&...;" included; 0 when the text is no complete reference
  bool isCharacter = false;
  char32_t character = 0;  // for character references
  std::string_view name;   // for entity references
};

Reference parseReference(std::string_view text, size_t at) {
  Reference ref;
  size_t semicolon = text.find(';', at + 1);
  if (semicolon == std::string_view::npos) return ref;
  std::string_view body = text.substr(at + 1, semicolon - at - 1);
  if (body.empty()) return ref;
  if (body[0] == '#') {
    bool hex = body.size() > 1 && body[1] == 'x';
    std::string_view digits = body.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8) return ref;
    uint32_t value = 0;
    for (char d : digits) {
      int v = -1;
      if (d >= '0' && d <= '9')
        v = d - '0';
      else if (hex && d >= 'a' && d <= 'f')
        v = d - 'a' + 10;
      else if (hex && d >= 'A' && d <= 'F')
        v = d - 'A' + 10;
      if (v < 0) return ref;
      value = value * (hex ? 16 : 10) + static_cast<uint32_t>(v);
    }
    ref.isCharacter = true;
    ref.character = value;
  } else {
    for (size_t i = 0; i < body.size(); ++i) {
      unsigned char c = static_cast<unsigned char>(body[i]);
      // Non-ASCII bytes are taken as name characters; the names are only
      // compared with the predefined ones.
      bool ok = c >= 0x80 || (i == 0 ? isXmlNameStartChar(c) : isXmlNameChar(c));
      if (!ok) return ref;
    }
    ref.name = body;
  }
  ref.length = body.size() + 2;
  return ref;
}

const char* predefinedEntity(std::string_view name) {
  if (name == "lt") return "<";
  if (name == "gt") return ">";
  if (name == "amp") return "&";
  if (name == "quot") return "\"";
  if (name == "apos") return "'";
  return nullptr;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace

std::wstring decodeXmlValue(std::string_view spelled, XmlValueKind kind) {
  const bool attribute = kind == XmlValueKind::Attribute;
  // Most values (host names, paths, ports) are ASCII with nothing to decode:
  // they are widened as they stand. A control character (CR, and LF and TAB
  // in an attribute) takes the way below; the look at the bytes is one
  // branch-free pass.
  unsigned char special = 0;
  for (const char byte : spelled) {
    const unsigned char c = static_cast<unsigned char>(byte);
    special |= static_cast<unsigned char>((c >= 0x80) | (c == '&') | (c < 0x20));
  }
  if (!special) return std::wstring(spelled.begin(), spelled.end());
  std::string out;
  out.reserve(spelled.size());
  for (size_t i = 0; i < spelled.size(); ++i) {
    char c = spelled[i];
    if (c == '\r') {
      // A CR LF pair and a lone CR both count as one line feed.
      if (i + 1 < spelled.size() && spelled[i + 1] == '\n') ++i;
      out.push_back(attribute ? ' ' : '\n');
    } else if (attribute && (c == '\n' || c == '\t')) {
      out.push_back(' ');
    } else if (c == '&') {
      Reference ref = parseReference(spelled, i);
      if (ref.length == 0) {
        out.push_back(c);
        continue;
      }
      if (ref.isCharacter && isXmlChar(ref.character)) {
        appendUtf8(out, ref.character);
      } else if (const char* expansion = predefinedEntity(ref.name); !ref.isCharacter && expansion) {
        out += expansion;
      } else {
        out.append(spelled.substr(i, ref.length));
      }
      i += ref.length - 1;
    } else {
      out.push_back(c);
    }
  }
  return utf8ToWideLenient(out);
}

std::string encodeXmlValue(std::wstring_view value, XmlValueKind kind) {
  std::wstring spelled;
  spelled.reserve(value.size());
  if (const std::optional<char32_t> c = firstNonXmlChar(value)) {
    throw ComError(E_INVALIDARG_RESULT,
                   vaformat(L"The character %s cannot be stored in an XML document", describeChar(*c)));
  }
  for (wchar_t c : value) {  // the units of a surrogate pair are copied as they are
    switch (c) {
      case L'&':
        spelled += L"&amp;";
        break;
      case L'<':
        spelled += L"&lt;";
        break;
      case L'>':
        spelled += L"&gt;";
        break;
      case L'\r':
        spelled += L"&#13;";
        break;
      case L'"':
        spelled += kind == XmlValueKind::Attribute ? L"&quot;" : L"\"";
        break;
      case L'\t':
        spelled += kind == XmlValueKind::Attribute ? L"&#9;" : L"\t";
        break;
      case L'\n':
        spelled += kind == XmlValueKind::Attribute ? L"&#10;" : L"\n";
        break;
      default:
        spelled.push_back(c);
    }
  }
  std::optional<std::string> utf8 = wideToUtf8(spelled);
  if (!utf8) throw ComError(E_INVALIDARG_RESULT, L"The text is not valid Unicode");
  return *utf8;
}

std::optional<XmlSpellingProblem> checkXmlSpelling(std::string_view spelled, XmlValueKind kind,
                                                   bool otherEntitiesAllowed) {
  for (size_t i = 0; i < spelled.size(); ++i) {
    char c = spelled[i];
    if (c == '<' && kind == XmlValueKind::Attribute) {
      return XmlSpellingProblem{i, L"The character '<' cannot be used in an attribute value"};
    }
    if (c == ']' && kind == XmlValueKind::Text && spelled.substr(i, 3) == "]]>") {
      return XmlSpellingProblem{i, L"The text \"]]>\" is not allowed in character data"};
    }
    if (c != '&') continue;
    Reference ref = parseReference(spelled, i);
    if (ref.length == 0) {
      return XmlSpellingProblem{i, L"An '&' does not start a complete entity or character reference"};
    }
    if (ref.isCharacter && !isXmlChar(ref.character)) {
      return XmlSpellingProblem{i, vaformat(L"The character reference %s names an invalid character",
                                            utf8ToWideLenient(spelled.substr(i, ref.length)))};
    }
    if (!ref.isCharacter && !predefinedEntity(ref.name) && !otherEntitiesAllowed) {
      return XmlSpellingProblem{i, vaformat(L"Reference to undeclared entity '%s'", utf8ToWideLenient(ref.name))};
    }
    i += ref.length - 1;
  }
  return std::nullopt;
}

}  // namespace wc
