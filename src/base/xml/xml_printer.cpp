#include "base/xml/xml_printer.h"

#include <cstring>

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

// An element that the subset load read and nothing changed since is copied
// whole from the file's text. False for any other element, which is written
// node by node.
bool appendUnchanged(const XmlDocumentState& state, pugi::xml_node element, std::string& out,
                     const std::function<void(std::string_view)>& spill) {
  const XmlElementSpan* span = state.spanOf(element);
  if (!span || state.changedSubtrees.contains(element.internal_object())) return false;
  const std::string_view text = std::string_view(state.original).substr(span->start, span->end - span->start);
  if (spill && text.size() >= kXmlPrintPiece) {
    spill(out);
    out.clear();
    spill(text);
  } else {
    out.append(text);
  }
  return true;
}

// Depth first without recursion: deep documents cannot exhaust the stack.
void printSubtree(const XmlDocumentState& state, XmlStartTagWriter& startTags, pugi::xml_node root, std::string& out,
                  const std::function<void(std::string_view)>& spill) {
  pugi::xml_node node = root;
  for (;;) {
    if (spill && out.size() >= kXmlPrintPiece) {
      spill(out);
      out.clear();
    }
    if (node.type() == pugi::node_element && appendUnchanged(state, node, out, spill)) {
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
  for (pugi::xml_node n = state.tree.first_child(); n; n = n.next_sibling()) {
    if (n != state.holder) printSubtree(state, startTags, n, out, spill);
  }
}

}  // namespace wc
