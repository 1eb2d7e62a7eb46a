#pragma once
// Handles on an XML document held in memory: the document, its nodes, child
// lists and attribute maps, used the way DOM code uses them (documentElement,
// childNodes/length/item, firstChild, parentNode, attributes/getNamedItem,
// nodeName, nodeType, nodeValue, createElement, createTextNode, appendChild,
// removeChild, setAttribute).
//
// A handle shares ownership of its document, so a node handle stays usable
// even after the XmlDocument it came from went out of scope. An empty handle
// means "not found"; any operation on an empty handle, and every other failed
// DOM operation, throws ComError (E_POINTER for an empty handle, E_INVALIDARG
// for a bad argument, E_FAIL for an operation the node does not allow).
//
// The whitespace between elements belongs to the layer, not to the callers:
// whitespace-only text nodes are kept for saving but never show up in child
// lists, and appendChild/removeChild indent and un-indent elements so that the
// saved file keeps its layout (see xml_layout.h).
//
// Names and values are wide strings; the document holds UTF-8 and converts at
// this edge. Values are the parsed text: references such as &amp; are decoded
// on reading and written as needed on setting.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pugi {
struct xml_node_struct;
struct xml_attribute_struct;
}  // namespace pugi

namespace wc {

struct XmlDocumentState;
class XmlNodeList;
class XmlAttributeMap;
class XmlDocument;

// Node types with the DOM's numbers.
enum XmlNodeType : int {
  NODE_INVALID = 0,
  NODE_ELEMENT = 1,
  NODE_ATTRIBUTE = 2,
  NODE_TEXT = 3,
  NODE_CDATA_SECTION = 4,
  NODE_PROCESSING_INSTRUCTION = 7,
  NODE_COMMENT = 8,
  NODE_DOCUMENT = 9,
  NODE_DOCUMENT_TYPE = 10,
};

class XmlNode {
 public:
  XmlNode() = default;

  bool empty() const { return node_ == nullptr; }
  explicit operator bool() const { return !empty(); }
  // The same node of the same document (two empty handles are equal).
  bool operator==(const XmlNode& other) const;

  XmlNodeType nodeType() const;
  // Tag name, attribute name, processing-instruction target, or "#text",
  // "#cdata-section", "#comment", "#document"; the root name for a doctype.
  std::wstring nodeName() const;
  // Nothing for nodes that have no value (elements, the document, doctypes).
  std::optional<std::wstring> nodeValue() const;
  // Text, CDATA, comment, processing instruction and attribute nodes only.
  void setNodeValue(const std::wstring& value) const;

  XmlNodeList childNodes() const;
  XmlNode firstChild() const;
  XmlNode lastChild() const;
  XmlNode nextSibling() const;
  XmlNode previousSibling() const;
  // Empty for the document, for attributes and for nodes not in the tree.
  XmlNode parentNode() const;
  // An empty map for nodes that cannot carry attributes.
  XmlAttributeMap attributes() const;
  XmlDocument ownerDocument() const;

  // Makes `child` the last child of this node (moving it if it is in the
  // tree already) and returns it.
  XmlNode appendChild(const XmlNode& child) const;
  // Takes `child` out of the tree and returns it; it may be appended again.
  XmlNode removeChild(const XmlNode& child) const;

 protected:
  friend struct XmlHandleAccess;
  XmlNode(std::shared_ptr<XmlDocumentState> doc, pugi::xml_node_struct* node,
          pugi::xml_attribute_struct* attribute = nullptr)
      : doc_(std::move(doc)), node_(node), attribute_(attribute) {}
  void requireNode() const;

  std::shared_ptr<XmlDocumentState> doc_;
  pugi::xml_node_struct* node_ = nullptr;            // the node, or the attribute's element
  pugi::xml_attribute_struct* attribute_ = nullptr;  // set for attribute nodes
};

class XmlElement : public XmlNode {
 public:
  XmlElement() = default;
  // An empty node gives an empty element; a node of another type throws
  // ComError E_NOINTERFACE.
  explicit XmlElement(const XmlNode& node);

  std::wstring tagName() const { return nodeName(); }
  // Creates the attribute (as the last one) or replaces its value in place.
  void setAttribute(const std::wstring& name, const std::wstring& value) const;
  // Nothing when the element has no such attribute (names are exact).
  std::optional<std::wstring> getAttribute(const std::wstring& name) const;
};

// The children of one node, in document order; live: it reflects changes made
// after it was taken.
class XmlNodeList {
 public:
  XmlNodeList() = default;
  bool empty() const { return parent_.empty(); }
  int32_t length() const;
  // Empty beyond the end of the list.
  XmlNode item(int32_t index) const;

 private:
  friend struct XmlHandleAccess;
  explicit XmlNodeList(XmlNode parent) : parent_(std::move(parent)) {}
  void refresh() const;

  XmlNode parent_;
  mutable std::vector<pugi::xml_node_struct*> cache_;
  mutable uint64_t cacheGeneration_ = 0;
  mutable bool cached_ = false;
};

// The attributes of one element, in document order.
class XmlAttributeMap {
 public:
  XmlAttributeMap() = default;
  bool empty() const { return element_.empty(); }
  int32_t length() const;
  XmlNode item(int32_t index) const;
  // Exact name; empty when missing.
  XmlNode getNamedItem(const std::wstring& name) const;

 private:
  friend struct XmlHandleAccess;
  explicit XmlAttributeMap(XmlNode element) : element_(std::move(element)) {}
  XmlNode element_;
};

// A whole document. Also a node: its children are the declaration, comments,
// a doctype and the document element.
class XmlDocument : public XmlNode {
 public:
  // An empty handle; see create().
  XmlDocument() = default;
  // A new document without any node.
  static XmlDocument create();

  // Empty when the document has no element.
  XmlElement documentElement() const;
  // New nodes belong to this document but to no parent until appended.
  XmlElement createElement(const std::wstring& tagName) const;
  XmlNode createTextNode(const std::wstring& text) const;

  // The parser settings the document was loaded with. The parser always
  // requires a well-formed document and never loads anything external, so
  // both are recorded only.
  bool validateOnParse() const;
  bool resolveExternals() const;

 private:
  friend struct XmlHandleAccess;
  explicit XmlDocument(std::shared_ptr<XmlDocumentState> doc);
};

}  // namespace wc
