#pragma once
// Inside of the XML layer: what one document handle family shares. Not for
// use outside src/base/xml.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <pugixml.hpp>

#include "base/xml/xml_dom.h"
#include "base/xml/xml_file_encoding.h"
#include "base/xml/xml_name_ends.h"

namespace wc {

// Where an element that the subset load (xml_subset_load.h) read stands in
// the file's text.
struct XmlElementSpan {
  size_t start = 0;            // its '<'
  size_t headEnd = 0;          // the '>' or the '/' of "/>" that ends its start tag
  size_t contentEnd = 0;       // the '<' of its end tag
  size_t end = 0;              // just after it
  bool deferred = false;       // its content is not parsed yet
  bool innerSpansDue = false;  // its content is parsed, its elements have no spans yet
};

struct XmlDocumentState {
  pugi::xml_document tree;
  // The parsed text; the document points into it (in-place parsing).
  std::string buffer;
  // After a subset load only: the file's text as read, never written to, and
  // where each element read from it stands. A save copies an unchanged
  // element from here. Both are empty after a full load. The elements of a
  // Host parsed on demand get their spans when one is first needed, or
  // before anything in the Host changes.
  std::string original;
  mutable std::unordered_map<pugi::xml_node_struct*, XmlElementSpan> spans;
  // The XML declaration as the file spelled it; empty when it had none.
  std::string declarationText;
  // Holds nodes that are created but not appended yet, and nodes that were
  // removed, so that their handles stay valid. Last child of the document,
  // never saved and never shown.
  pugi::xml_node holder;
  // Counts structural changes, so that live child lists know when to refresh.
  uint64_t generation = 1;

  // The bytes the parser overwrote at the ends of names (see xml_name_ends.h).
  XmlNameEnds nameEnds;
  // The nodes in whose subtree something changed since parsing (the changed
  // node and each node above it). An element the subset load read that is not
  // here is copied from `original` as it stands.
  std::unordered_set<pugi::xml_node_struct*> changedSubtrees;

  // The start tags of parsed elements whose name or attributes the layer
  // changed, as the file spelled them (without the closing '>' or "/>") and
  // with what they said then, taken just before the first change. A save
  // repeats the spelling while they say the same again. The start tags of all
  // other parsed elements are read from `buffer`.
  struct SpelledStartTag {
    std::string head;
    std::string fingerprint;
  };
  std::unordered_map<pugi::xml_node_struct*, SpelledStartTag> changedStartTags;

  // The blanks of end tags spelled "</name >", by the element they close.
  std::unordered_map<pugi::xml_node_struct*, std::string> endTagBlanks;

  XmlFileEncoding encoding;
  std::string newline = "\n";  // the line break the file uses
  // Where each line of `buffer` begins, found on the first question about a
  // node's line (see vxmlSourceLine).
  std::vector<size_t> lineStarts;
  std::string indentUnit = "  ";

  bool validateOnParse = false;
  bool resolveExternals = false;

  pugi::xml_node ensureHolder();
  bool loadedAsSubset() const { return !spans.empty(); }
  const XmlElementSpan* spanOf(pugi::xml_node element) const;
  // Parses the content the subset load left out of an element, before
  // anything asks for the element's children; any other node stays as it is.
  void expand(pugi::xml_node element);
  void giveInnerSpans(pugi::xml_node host, XmlElementSpan& span) const;
  // Whitespace-only text and the holder: kept, never shown to callers.
  bool isHidden(pugi::xml_node node) const;
  // Whether the node is in the saved tree (not created-only or removed).
  bool isAttached(pugi::xml_node node) const;
  // To be called before the element's name or attributes change.
  void noteStartTagChange(pugi::xml_node element);
  // To be called before anything in the node's subtree changes: its value,
  // its attributes or its children. Expands the node.
  void noteSubtreeChange(pugi::xml_node node);
};

// Builds handles from the inside and reaches their fields.
struct XmlHandleAccess {
  static XmlNode node(const std::shared_ptr<XmlDocumentState>& doc, pugi::xml_node n) {
    return n ? XmlNode(doc, n.internal_object()) : XmlNode();
  }
  static XmlNode attribute(const std::shared_ptr<XmlDocumentState>& doc, pugi::xml_node element,
                           pugi::xml_attribute a) {
    return a ? XmlNode(doc, element.internal_object(), a.internal_object()) : XmlNode();
  }
  static XmlElement element(const std::shared_ptr<XmlDocumentState>& doc, pugi::xml_node n) {
    return XmlElement(node(doc, n));
  }
  static XmlDocument document(std::shared_ptr<XmlDocumentState> doc) { return XmlDocument(std::move(doc)); }
  static XmlNodeList list(const XmlNode& parent) { return XmlNodeList(parent); }
  static XmlAttributeMap map(const XmlNode& element) { return XmlAttributeMap(element); }

  static const std::shared_ptr<XmlDocumentState>& state(const XmlNode& n) { return n.doc_; }
  static pugi::xml_node pugiNode(const XmlNode& n) { return pugi::xml_node(n.node_); }
  static pugi::xml_attribute pugiAttribute(const XmlNode& n) { return pugi::xml_attribute(n.attribute_); }
};

// UTF-8 from the document to a wide string.
std::wstring fromXmlUtf8(const char* text);

}  // namespace wc
