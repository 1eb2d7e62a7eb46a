#include "tomcat/xml/xml_parser.h"

#include <algorithm>
#include <vector>

#include "base/text/unicode.h"
#include "base/text/vaformat.h"
#include "tomcat/xml/xml_chars.h"
#include "tomcat/xml/xml_layout.h"
#include "tomcat/xml/xml_text_codec.h"

namespace {

// Everything the file holds is kept as it is spelled: comments, the
// declaration, the doctype, processing instructions, whitespace between
// nodes (also outside the document element, which is why the text is parsed
// as a fragment and the single-root rule is checked here), references and
// line breaks.
constexpr unsigned kParseOptions =
    (pugi::parse_full | pugi::parse_ws_pcdata | pugi::parse_fragment) &
    ~(pugi::parse_escapes | pugi::parse_eol | pugi::parse_wconv_attribute | pugi::parse_wnorm_attribute);

struct ParseFailure {
  size_t offset;
  std::wstring reason;
};

class Checker {
 public:
  // `buffer` is the parsed text (values point into it), `pristine` the same
  // text before the parser wrote its terminators into it.
  Checker(const std::string& buffer, const std::string& pristine, bool entitiesDeclarable)
      : buffer_(buffer), pristine_(pristine), entitiesDeclarable_(entitiesDeclarable) {}

  void checkTopLevel(pugi::xml_node document) {
    int elements = 0;
    bool first = true;
    for (pugi::xml_node n = document.first_child(); n; n = n.next_sibling(), first = false) {
      switch (n.type()) {
        case pugi::node_declaration:
          if (!first) fail(n, L"The XML declaration is allowed only at the very start of the document");
          break;
        case pugi::node_doctype:
          if (elements > 0) fail(n, L"The document type declaration must come before the document element");
          break;
        case pugi::node_element:
          if (++elements > 1) fail(n, L"The document has more than one document element");
          break;
        case pugi::node_pcdata:
          if (!isFormattingText(n)) fail(n, L"Text is not allowed outside the document element");
          break;
        case pugi::node_cdata:
          fail(n, L"A CDATA section is not allowed outside the document element");
          break;
        default:
          break;
      }
    }
    if (elements == 0) throw ParseFailure{buffer_.size(), L"The document has no document element"};
  }

  void checkTree(pugi::xml_node root) {
    std::vector<pugi::xml_node> pending{root};
    while (!pending.empty()) {
      pugi::xml_node node = pending.back();
      pending.pop_back();
      if (node.type() == pugi::node_pcdata) checkSpelling(node.value(), XmlValueKind::Text);
      for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
        for (pugi::xml_attribute b = node.first_attribute(); b != a; b = b.next_attribute()) {
          if (std::string_view(a.name()) == b.name()) {
            fail(node, vaformat(L"The attribute '%s' appears twice in one element", fromXmlUtf8(a.name())));
          }
        }
        checkSpelling(a.value(), XmlValueKind::Attribute);
      }
      for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) pending.push_back(child);
    }
  }

  [[noreturn]] void fail(pugi::xml_node node, std::wstring reason) {
    ptrdiff_t offset = node.offset_debug();
    // offset_debug points at the name; the markup starts one or more bytes before.
    size_t at = offset < 0 ? 0 : static_cast<size_t>(offset);
    if (node.type() != pugi::node_pcdata) at = std::min(at, pristine_.rfind('<', at));
    throw ParseFailure{at, std::move(reason)};
  }

 private:
  void checkSpelling(const char* value, XmlValueKind kind) {
    if (std::optional<XmlSpellingProblem> problem = checkXmlSpelling(value, kind, entitiesDeclarable_)) {
      throw ParseFailure{offsetOf(value) + problem->offset, problem->reason};
    }
  }

  size_t offsetOf(const char* pointer) const {
    if (pointer >= buffer_.data() && pointer <= buffer_.data() + buffer_.size()) {
      return static_cast<size_t>(pointer - buffer_.data());
    }
    return 0;
  }

  const std::string& buffer_;
  const std::string& pristine_;
  bool entitiesDeclarable_;
};

// Invalid UTF-8 and characters XML does not allow (control characters).
std::optional<ParseFailure> checkCharacters(const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    char32_t c = 0;
    size_t length = 0;
    if (!decodeUtf8At(text, i, c, length)) return ParseFailure{i, L"The text is not valid UTF-8"};
    if (!isXmlChar(c)) return ParseFailure{i, vaformat(L"The character %s is not allowed in XML", describeChar(c))};
    i += length;
  }
  return std::nullopt;
}

std::wstring describeFailure(const std::string& text, const ParseFailure& failure) {
  size_t end = std::min(failure.offset, text.size());
  int line = 1;
  int column = 1;
  for (size_t i = 0; i < end; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\n') {
      ++line;
      column = 1;
    } else if ((c & 0xC0) != 0x80) {
      ++column;
    }
  }
  return vaformat(L"%s (line %d, column %d)", failure.reason, line, column);
}

// The spelling of every start tag up to its closing '>' or "/>".
void recordStartTags(const std::string& pristine, XmlDocumentState& state) {
  std::vector<pugi::xml_node> pending{state.doc};
  while (!pending.empty()) {
    pugi::xml_node node = pending.back();
    pending.pop_back();
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) pending.push_back(child);
    if (node.type() != pugi::node_element) continue;
    ptrdiff_t nameOffset = node.offset_debug();
    if (nameOffset <= 0 || pristine[static_cast<size_t>(nameOffset) - 1] != '<') continue;
    size_t begin = static_cast<size_t>(nameOffset) - 1;
    size_t end = begin + 1;
    char quote = 0;
    for (; end < pristine.size(); ++end) {
      char c = pristine[end];
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '>') {
        break;
      }
    }
    if (end >= pristine.size()) continue;
    if (pristine[end - 1] == '/') --end;
    state.spelledStartTags[node.internal_object()] = {pristine.substr(begin, end - begin), startTagFingerprint(node)};
  }
}

}  // namespace

std::wstring parseXmlText(std::string utf8, XmlDocumentState& state) {
  if (std::optional<ParseFailure> failure = checkCharacters(utf8)) return describeFailure(utf8, *failure);

  const std::string pristine = utf8;  // positions for messages: parsing writes into the buffer
  state.buffer = std::move(utf8);
  // The parser overwrites the last byte with its terminator; give it one of
  // its own so that trailing whitespace survives.
  state.buffer.push_back('\0');
  pugi::xml_parse_result result =
      state.doc.load_buffer_inplace(state.buffer.data(), state.buffer.size(), kParseOptions, pugi::encoding_utf8);
  if (!result) {
    return describeFailure(pristine, ParseFailure{static_cast<size_t>(std::max<ptrdiff_t>(result.offset, 0)),
                                                  utf8ToWideLenient(result.description())});
  }

  bool hasDoctype = false;
  for (pugi::xml_node n = state.doc.first_child(); n; n = n.next_sibling()) {
    hasDoctype = hasDoctype || n.type() == pugi::node_doctype;
  }
  try {
    Checker checker(state.buffer, pristine, hasDoctype);
    checker.checkTopLevel(state.doc);
    checker.checkTree(state.doc);
  } catch (const ParseFailure& failure) {
    return describeFailure(pristine, failure);
  }

  // Values are written back as they are spelled, always in double quotes, so
  // a '"' inside a value that was single-quoted becomes a reference.
  std::vector<pugi::xml_node> pending{state.doc};
  while (!pending.empty()) {
    pugi::xml_node node = pending.back();
    pending.pop_back();
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
      std::string value = a.value();
      if (value.find('"') == std::string::npos) continue;
      std::string spelled;
      for (char c : value) spelled += c == '"' ? std::string("&quot;") : std::string(1, c);
      a.set_value(spelled.c_str());
    }
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) pending.push_back(child);
  }

  recordStartTags(pristine, state);
  state.newline = pristine.find("\r\n") != std::string::npos ? "\r\n" : "\n";
  state.indentUnit = detectIndentUnit(state.doc);
  return {};
}
