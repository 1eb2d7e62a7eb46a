#include "base/xml/xml_parser.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/text/unicode.h"
#include "base/text/vaformat.h"
#include "base/xml/xml_chars.h"
#include "base/xml/xml_end_tags.h"
#include "base/xml/xml_layout.h"
#include "base/xml/xml_text_codec.h"
#include "base/xml/xml_text_scan.h"

namespace wc {

namespace {

using ParseFailure = XmlTextProblem;

// Line and column of a position in the text. After parsing, a NUL may stand
// where a line feed ended a name; the recorded name ends tell.
std::wstring describeFailure(const XmlDocumentState& state, const ParseFailure& failure) {
  const std::string& text = state.buffer;
  const size_t end = std::min(failure.offset, text.size());
  int line = 1;
  int column = 1;
  for (size_t i = 0; i < end; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\n' || (c == '\0' && state.nameEnds.at(i, 0) == '\n')) {
      ++line;
      column = 1;
    } else if ((c & 0xC0) != 0x80) {
      ++column;
    }
  }
  return vaformat(L"%s (line %d, column %d)", failure.reason, line, column);
}

// The well-formedness rules pugixml leaves to its callers.
class Checker {
 public:
  Checker(const std::string& buffer, bool entitiesDeclarable)
      : buffer_(buffer), entitiesDeclarable_(entitiesDeclarable) {}

  void checkTopLevel(pugi::xml_node document) {
    int elements = 0;
    bool first = true;
    for (pugi::xml_node n = document.first_child(); n; n = n.next_sibling(), first = false) {
      switch (n.type()) {
        case pugi::node_declaration:
          if (first) declaration_ = n;
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
    if (elements == 0) throw ParseFailure{textSize(), L"The document has no document element"};
  }

  void checkTree(pugi::xml_node root) {
    for (pugi::xml_node node = root; node; node = nextInDocumentOrder(node, root)) {
      if (node.type() == pugi::node_pcdata) {
        checkSpelling(node.value(), XmlValueKind::Text);
      } else if (node.type() == pugi::node_declaration) {
        checkDeclaration(node);
      } else if (node.type() == pugi::node_comment) {
        checkComment(node);
      } else {
        checkAttributes(node);
      }
    }
  }

  [[noreturn]] void fail(pugi::xml_node node, std::wstring reason) {
    const bool named =
        node.type() == pugi::node_element || node.type() == pugi::node_pi || node.type() == pugi::node_declaration;
    size_t at = offsetOf(named ? node.name() : node.value());
    // Markup starts at the '<' before its name or value; the parser may have
    // overwritten that '<' with the NUL that ends the text before it.
    if (node.type() != pugi::node_pcdata) {
      while (at > 0) {
        --at;
        if (buffer_[at] == '<' || buffer_[at] == '\0') break;
      }
    }
    throw ParseFailure{at, std::move(reason)};
  }

 private:
  // The parser accepts "--" in a comment, which XML forbids (and pugixml
  // would write back as "- -").
  void checkComment(pugi::xml_node node) {
    const char* value = node.value();
    const size_t length = std::strlen(value);
    if (std::strstr(value, "--") != nullptr || (length > 0 && value[length - 1] == '-')) {
      fail(node, L"A comment cannot hold \"--\" or end with '-'");
    }
  }

  // The parser takes any spelling of "xml" as the declaration's name, and
  // takes it anywhere; XML reserves those names for the declaration itself.
  void checkDeclaration(pugi::xml_node node) {
    if (std::strcmp(node.name(), "xml") != 0) {
      fail(node, vaformat(L"The processing instruction target '%s' is reserved", fromXmlUtf8(node.name())));
    }
    if (node != declaration_) fail(node, L"The XML declaration is allowed only at the very start of the document");
    checkAttributes(node);
  }

  void checkAttributes(pugi::xml_node node) {
    names_.clear();
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
      const char* name = a.name();
      for (const char* other : names_) {
        if (other[0] == name[0] && std::strcmp(other, name) == 0) {
          fail(node, vaformat(L"The attribute '%s' appears twice in one element", fromXmlUtf8(name)));
        }
      }
      names_.push_back(name);
      checkSpelling(a.value(), XmlValueKind::Attribute);
    }
  }

  // Most values hold no reference and nothing else to look at closely.
  void checkSpelling(const char* value, XmlValueKind kind) {
    const char* notable = kind == XmlValueKind::Text ? "&]" : "&<";
    if (value[std::strcspn(value, notable)] == '\0') return;
    if (std::optional<XmlSpellingProblem> problem = checkXmlSpelling(value, kind, entitiesDeclarable_)) {
      throw ParseFailure{offsetOf(value) + problem->offset, problem->reason};
    }
  }

  size_t textSize() const { return buffer_.empty() ? 0 : buffer_.size() - 1; }

  size_t offsetOf(const char* pointer) const {
    if (pointer >= buffer_.data() && pointer <= buffer_.data() + buffer_.size()) {
      return static_cast<size_t>(pointer - buffer_.data());
    }
    return 0;
  }

  const std::string& buffer_;
  bool entitiesDeclarable_;
  std::vector<const char*> names_;  // of the element's attributes checked so far
  pugi::xml_node declaration_;      // the one at the very start, if any
};

// Values are written back as they are spelled, always in double quotes (see
// xml_start_tag.h). The declaration is written by pugixml, so a '"' in one
// of its values that was single-quoted becomes a reference right away.
void quoteDeclarationValues(pugi::xml_node document) {
  for (pugi::xml_node n = document.first_child(); n; n = n.next_sibling()) {
    if (n.type() != pugi::node_declaration) continue;
    for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
      std::string value = a.value();
      if (value.find('"') == std::string::npos) continue;
      std::string spelled;
      for (char c : value) spelled += c == '"' ? std::string("&quot;") : std::string(1, c);
      a.set_value(spelled.c_str());
    }
  }
}

// The elements in the order of their start tags are the ones the end tags
// were counted by.
void giveEndTagBlanks(XmlDocumentState& state, std::vector<XmlEndTagBlanks>& found) {
  state.endTagBlanks.clear();
  if (found.empty()) return;
  std::sort(found.begin(), found.end(),
            [](const XmlEndTagBlanks& a, const XmlEndTagBlanks& b) { return a.element < b.element; });
  auto next = found.begin();
  size_t element = 0;
  for (pugi::xml_node n = state.tree; n && next != found.end(); n = nextInDocumentOrder(n, state.tree)) {
    if (n.type() == pugi::node_element && next->element == element++) {
      state.endTagBlanks.emplace(n.internal_object(), std::move(next->blanks));
      ++next;
    }
  }
}

}  // namespace

pugi::xml_node nextInDocumentOrder(pugi::xml_node node, pugi::xml_node root) {
  if (pugi::xml_node child = node.first_child()) return child;
  while (node != root && !node.next_sibling()) node = node.parent();
  return node == root ? pugi::xml_node() : node.next_sibling();
}

std::wstring parseXmlText(std::string utf8, XmlDocumentState& state) {
  state.nameEnds.clear();
  const XmlTextScan scan = scanXmlText(utf8, state.nameEnds);

  // The parser overwrites the last byte with its terminator; give it one of
  // its own so that trailing whitespace survives. The buffer is used as it
  // comes when it has room for that byte, else it gets exactly that much.
  if (utf8.capacity() > utf8.size()) {
    state.buffer = std::move(utf8);
  } else {
    state.buffer.clear();
    state.buffer.shrink_to_fit();
    state.buffer.reserve(utf8.size() + 1);
    state.buffer.append(utf8);
    std::string().swap(utf8);
  }
  if (scan.problem) return describeFailure(state, *scan.problem);
  // The parser takes a '<' at the very end for a cut-off buffer and drops it.
  if (state.buffer.ends_with('<')) {
    return describeFailure(state, ParseFailure{state.buffer.size() - 1, L"Could not determine tag type"});
  }
  // The file's byte order mark is gone by now, and the parser would drop a
  // second one silently; it is a character before the document element.
  if (state.buffer.starts_with("\xEF\xBB\xBF")) {
    return describeFailure(state, ParseFailure{0, L"Text is not allowed outside the document element"});
  }
  // The declaration is written back as it stands (the parser would re-spell
  // its quotes); it can only be the very first thing of the text.
  state.declarationText.clear();
  if (startsWithXmlDeclaration(state.buffer)) {
    const size_t end = state.buffer.find("?>", 5);
    if (end != std::string::npos) state.declarationText = state.buffer.substr(0, end + 2);
  }
  std::vector<XmlEndTagBlanks> endTagBlanks;
  if (scan.endTagBlanks) endTagBlanks = findEndTagBlanks(state.buffer);
  state.buffer.push_back('\0');
  state.changedSubtrees.clear();

  pugi::xml_parse_result result =
      state.tree.load_buffer_inplace(state.buffer.data(), state.buffer.size(), kXmlParseOptions, pugi::encoding_utf8);
  if (!result) {
    return describeFailure(state, ParseFailure{static_cast<size_t>(std::max<ptrdiff_t>(result.offset, 0)),
                                               utf8ToWideLenient(result.description())});
  }

  bool hasDoctype = false;
  for (pugi::xml_node n = state.tree.first_child(); n; n = n.next_sibling()) {
    hasDoctype = hasDoctype || n.type() == pugi::node_doctype;
  }
  try {
    Checker checker(state.buffer, hasDoctype);
    checker.checkTopLevel(state.tree);
    checker.checkTree(state.tree);
  } catch (const ParseFailure& failure) {
    return describeFailure(state, failure);
  }

  quoteDeclarationValues(state.tree);
  giveEndTagBlanks(state, endTagBlanks);
  state.newline = scan.windowsLineBreaks ? "\r\n" : "\n";
  state.indentUnit = detectIndentUnit(state);
  return {};
}

}  // namespace wc
