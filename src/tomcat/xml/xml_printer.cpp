#include "tomcat/xml/xml_printer.h"

#include "tomcat/xml/xml_start_tag.h"

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

void appendEndTag(pugi::xml_node element, std::string& out) {
  out += "</";
  out += element.name();
  out += '>';
}

// Text is the bulk of a file and is written here; the rarer kinds (comments,
// CDATA, processing instructions, the declaration and the doctype) the way
// pugixml writes them.
void appendLeaf(pugi::xml_node node, std::string& out) {
  if (node.type() == pugi::node_pcdata) {
    out += node.value();
    return;
  }
  StringWriter writer(out);
  node.print(writer, "", kPrintFormat, pugi::encoding_utf8, 0);
}

// Depth first without recursion: deep documents cannot exhaust the stack.
void printSubtree(XmlStartTagWriter& startTags, pugi::xml_node root, std::string& out) {
  pugi::xml_node node = root;
  for (;;) {
    if (node.type() == pugi::node_element) {
      startTags.append(node, out);
      if (pugi::xml_node child = node.first_child()) {
        out += '>';
        node = child;
        continue;
      }
      out += "/>";
    } else {
      appendLeaf(node, out);
    }
    while (node != root && !node.next_sibling()) {
      node = node.parent();
      appendEndTag(node, out);
    }
    if (node == root) return;
    node = node.next_sibling();
  }
}

}  // namespace

void printXmlDocument(const XmlDocumentState& state, std::string& out) {
  XmlStartTagWriter startTags(state);
  for (pugi::xml_node n = state.doc.first_child(); n; n = n.next_sibling()) {
    if (n != state.holder) printSubtree(startTags, n, out);
  }
}
