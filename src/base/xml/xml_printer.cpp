#include "base/xml/xml_printer.h"

#include <cstring>
#include <vector>

#include "base/xml/xml_chars.h"
#include "base/xml/xml_document_state.h"
#include "base/xml/xml_start_tag.h"

namespace wc {

namespace {

// Values are held as they are spelled, so nothing is escaped on the way out.
constexpr unsigned kPrintFormat = pugi::format_raw | pugi::format_no_escapes | pugi::format_no_declaration;

class StringWriter : public pugi::xml_writer {
 public:
  explicit StringWriter(std::string& out) : out_(out) {}
  void write(const void* data, size_t size) override { out_.append(static_cast<const char*>(data), size); }

 private:
  std::string& out_;
};

void appendEndTag(const XmlDocumentState& state, pugi::xml_node element, std::string& out) {
  out += "</";
  out += element.name();
  if (!state.endTagBlanks.empty()) {
    auto blanks = state.endTagBlanks.find(element.internal_object());
    if (blanks != state.endTagBlanks.end()) out += blanks->second;
  }
  out += '>';
}

// A parsed processing instruction keeps the blanks between its target and
// its data, which pugixml would write as one space. In the buffer the target
// ends in the NUL the parser wrote over the first blank (noted before parsing
// unless it was a space); the others follow untouched up to the data. Data
// that was set, and an instruction without data, live outside the buffer and
// are written the plain way.
bool appendParsedProcessingInstruction(const XmlDocumentState& state, pugi::xml_node node, std::string& out) {
  const char* base = state.buffer.data();
  const char* end = base + state.buffer.size();
  const char* name = node.name();
  const char* value = node.value();
  if (!(name > base && name < end && value > name && value < end)) return false;
  const char* nameEnd = name + std::strlen(name);
  if (nameEnd >= value) return false;
  out += "<?";
  out.append(name, nameEnd);
  out += state.nameEnds.at(static_cast<size_t>(nameEnd - base), ' ');
  out.append(nameEnd + 1, value);
  out += value;
  out += "?>";
  return true;
}

// The same for the blanks between "<!DOCTYPE" and the name, which the parser
// skips without writing over them.
bool appendParsedDoctype(const XmlDocumentState& state, pugi::xml_node node, std::string& out) {
  const char* base = state.buffer.data();
  const char* value = node.value();
  if (!(value > base && value < base + state.buffer.size())) return false;
  const char* blanks = value;
  while (blanks > base && isXmlBlankByte(blanks[-1])) --blanks;
  out += "<!DOCTYPE";
  out.append(blanks, value);
  out += value;
  out += '>';
  return true;
}

// Text is the bulk of a file and is written here; the rarer kinds (comments,
// CDATA, processing instructions, the declaration and the doctype) the way
// pugixml writes them.
void appendLeaf(const XmlDocumentState& state, pugi::xml_node node, std::string& out) {
  if (node.type() == pugi::node_pcdata) {
    out += node.value();
    return;
  }
  if (node.type() == pugi::node_declaration && !state.declarationText.empty()) {
    out += state.declarationText;
    return;
  }
  if (node.type() == pugi::node_pi && appendParsedProcessingInstruction(state, node, out)) return;
  if (node.type() == pugi::node_doctype && appendParsedDoctype(state, node, out)) return;
  StringWriter writer(out);
  node.print(writer, "", kPrintFormat, pugi::encoding_utf8, 0);
}

// Where the parsed text of an element nobody changed ends, found from the
// ends the parser left: the end of its last child (or of its start tag) and
// its end tag. Null when the text does not read as expected, so that the
// element is written node by node instead.
class UnchangedElementText {
 public:
  UnchangedElementText(const XmlDocumentState& state, const std::function<void(std::string_view)>& spill)
      : state_(state), spill_(spill), base_(state.buffer.data()), limit_(base_ + state.buffer.size() - 1) {}

  // Appends the element's text as the file spelled it.
  bool append(pugi::xml_node element, std::string& out) {
    if (state_.loadedAsSubset()) {
      const XmlElementSpan* span = state_.spanOf(element);
      if (!span) return false;
      const std::string_view text = std::string_view(state_.original).substr(span->start, span->end - span->start);
      if (spill_ && text.size() >= kXmlPrintPiece) {
        spill_(out);
        out.clear();
        spill_(text);
      } else {
        out.append(text);
      }
      return true;
    }
    const char* name = element.name();
    if (!inBuffer(name) || name == base_ || original(name - 1) != '<') return false;
    const char* end = elementEnd(element);
    if (!end) return false;
    const size_t begin = static_cast<size_t>(name - 1 - base_);
    const size_t size = static_cast<size_t>(end - (name - 1));
    const size_t at = out.size();
    out.append(name - 1, size);
    state_.overwritten.restore(begin, begin + size, out.data() + at);
    return true;
  }

 private:
  bool inBuffer(const char* p) const { return p >= base_ && p < limit_; }
  char original(const char* p) const {
    return *p != '\0' ? *p : state_.overwritten.at(static_cast<size_t>(p - base_), '\0');
  }

  const char* elementEnd(pugi::xml_node element) {
    // Down the chain of last children, then back up through the end tags.
    chain_.clear();
    pugi::xml_node node = element;
    while (node.type() == pugi::node_element && node.last_child()) {
      chain_.push_back(node);
      node = node.last_child();
    }
    const char* end = node.type() == pugi::node_element ? emptyElementEnd(node) : leafEnd(node);
    for (auto it = chain_.rbegin(); end && it != chain_.rend(); ++it) end = endTagEnd(*it, end);
    return end;
  }

  // "</name" blanks ">" at `p`.
  const char* endTagEnd(pugi::xml_node element, const char* p) const {
    const char* name = element.name();
    const size_t length = std::strlen(name);
    if (!inBuffer(p) || static_cast<size_t>(limit_ - p) < length + 3) return nullptr;
    if (original(p) != '<' || p[1] != '/' || std::memcmp(p + 2, name, length) != 0) return nullptr;
    p += 2 + length;
    while (p < limit_ && isXmlBlankByte(*p)) ++p;
    return p < limit_ && *p == '>' ? p + 1 : nullptr;
  }

  const char* emptyElementEnd(pugi::xml_node element) const {
    const char* name = element.name();
    if (!inBuffer(name)) return nullptr;
    const char* p = name + std::strlen(name);
    if (pugi::xml_attribute last = element.last_attribute()) {
      const char* value = last.value();
      if (!inBuffer(value)) return nullptr;
      p = value + std::strlen(value);
      if (original(p) != '"' && original(p) != '\'') return nullptr;
      ++p;
    } else if (original(p) == '/' || original(p) == '>') {
      // The byte after the name was the tag's end.
    } else {
      ++p;
    }
    while (p < limit_ && (isXmlBlankByte(*p) || (*p == '\0' && isXmlBlankByte(original(p))))) ++p;
    if (p + 1 < limit_ && original(p) == '/' && p[1] == '>') return p + 2;
    if (p < limit_ && original(p) == '>') return endTagEnd(element, p + 1);
    return nullptr;
  }

  // Text, CDATA and comments end in the NUL the parser wrote over the first
  // byte of what closed them.
  const char* leafEnd(pugi::xml_node node) const {
    const char* value = node.value();
    if (!inBuffer(value)) return nullptr;
    const char* p = value + std::strlen(value);
    const auto closedBy = [&](const char* closing) {
      const size_t length = std::strlen(closing);
      return static_cast<size_t>(limit_ - p) >= length && original(p) == closing[0] &&
             std::memcmp(p + 1, closing + 1, length - 1) == 0;
    };
    switch (node.type()) {
      case pugi::node_pcdata:
        return p;
      case pugi::node_cdata:
        return closedBy("]]>") ? p + 3 : nullptr;
      case pugi::node_comment:
        return closedBy("-->") ? p + 3 : nullptr;
      default:
        return nullptr;
    }
  }

  const XmlDocumentState& state_;
  const std::function<void(std::string_view)>& spill_;
  const char* base_;
  const char* limit_;  // the parser's terminator
  std::vector<pugi::xml_node> chain_;
};

// Depth first without recursion: deep documents cannot exhaust the stack.
void printSubtree(const XmlDocumentState& state, XmlStartTagWriter& startTags, UnchangedElementText& unchanged,
                  pugi::xml_node root, std::string& out, const std::function<void(std::string_view)>& spill) {
  const bool copyUnchanged = state.overwritten.usable() || state.loadedAsSubset();
  pugi::xml_node node = root;
  for (;;) {
    if (spill && out.size() >= kXmlPrintPiece) {
      spill(out);
      out.clear();
    }
    if (node.type() == pugi::node_element && copyUnchanged && !state.changedSubtrees.contains(node.internal_object()) &&
        unchanged.append(node, out)) {
      // Written whole, with everything inside it.
    } else if (node.type() == pugi::node_element) {
      const bool closesItself = startTags.append(node, out);
      if (pugi::xml_node child = node.first_child()) {
        out += '>';
        node = child;
        continue;
      }
      // An empty element keeps the form the file gave it: <a/> or <a></a>.
      if (closesItself) {
        out += "/>";
      } else {
        out += '>';
        appendEndTag(state, node, out);
      }
    } else {
      appendLeaf(state, node, out);
    }
    while (node != root && !node.next_sibling()) {
      node = node.parent();
      appendEndTag(state, node, out);
    }
    if (node == root) return;
    node = node.next_sibling();
  }
}

}  // namespace

void printXmlDocument(const XmlDocumentState& state, std::string& out,
                      const std::function<void(std::string_view)>& spill) {
  XmlStartTagWriter startTags(state);
  UnchangedElementText unchanged(state, spill);
  for (pugi::xml_node n = state.tree.first_child(); n; n = n.next_sibling()) {
    if (n != state.holder) printSubtree(state, startTags, unchanged, n, out, spill);
  }
}

}  // namespace wc
