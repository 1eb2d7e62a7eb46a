#include "base/errors/com_error.h"
#include "base/errors/win_error_codes.h"
#include "base/text/unicode.h"
#include "base/text/vaformat.h"
#include "base/xml/xml_chars.h"
#include "base/xml/xml_document_state.h"
#include "base/xml/xml_dom.h"
#include "base/xml/xml_layout.h"
#include "base/xml/xml_text_codec.h"

namespace wc {

namespace {

using Access = XmlHandleAccess;

const wchar_t* typeName(XmlNodeType type) {
  switch (type) {
    case NODE_ELEMENT:
      return L"element";
    case NODE_ATTRIBUTE:
      return L"attribute";
    case NODE_TEXT:
      return L"text";
    case NODE_CDATA_SECTION:
      return L"CDATA section";
    case NODE_PROCESSING_INSTRUCTION:
      return L"processing instruction";
    case NODE_COMMENT:
      return L"comment";
    case NODE_DOCUMENT:
      return L"document";
    case NODE_DOCUMENT_TYPE:
      return L"document type";
    default:
      return L"unknown";
  }
}

std::wstring normalizedLineBreaks(const char* raw) {
  std::wstring text = fromXmlUtf8(raw);
  std::wstring out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r') {
      if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
      out.push_back(L'\n');
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

std::string toUtf8OrThrow(std::wstring_view text) {
  if (!isValidXmlText(text)) {
    throw ComError(E_INVALIDARG_RESULT, L"The text holds a character that cannot be stored in an XML document");
  }
  std::optional<std::string> utf8 = wideToUtf8(text);
  if (!utf8) throw ComError(E_INVALIDARG_RESULT, L"The text is not valid Unicode");
  return *utf8;
}

void setRaw(pugi::xml_node node, const std::string& raw) {
  if (!node.set_value(raw.c_str())) throw ComError(E_OUTOFMEMORY_RESULT);
}

// The visible neighbour of a node in the given direction.
pugi::xml_node visibleFrom(const XmlDocumentState& state, pugi::xml_node start, bool forward) {
  pugi::xml_node n = start;
  while (n && state.isHidden(n)) n = forward ? n.next_sibling() : n.previous_sibling();
  return n;
}

}  // namespace

bool XmlNode::operator==(const XmlNode& other) const {
  return node_ == other.node_ && attribute_ == other.attribute_ && (empty() || doc_ == other.doc_);
}

void XmlNode::requireNode() const {
  if (empty()) throw ComError(E_POINTER_RESULT, L"The node handle is empty");
}

XmlNodeType XmlNode::nodeType() const {
  requireNode();
  if (attribute_) return NODE_ATTRIBUTE;
  switch (pugi::xml_node(node_).type()) {
    case pugi::node_document:
      return NODE_DOCUMENT;
    case pugi::node_element:
      return NODE_ELEMENT;
    case pugi::node_pcdata:
      return NODE_TEXT;
    case pugi::node_cdata:
      return NODE_CDATA_SECTION;
    case pugi::node_comment:
      return NODE_COMMENT;
    case pugi::node_pi:
    case pugi::node_declaration:
      return NODE_PROCESSING_INSTRUCTION;
    case pugi::node_doctype:
      return NODE_DOCUMENT_TYPE;
    default:
      return NODE_INVALID;
  }
}

std::wstring XmlNode::nodeName() const {
  requireNode();
  if (attribute_) return fromXmlUtf8(pugi::xml_attribute(attribute_).name());
  pugi::xml_node node(node_);
  switch (node.type()) {
    case pugi::node_document:
      return L"#document";
    case pugi::node_pcdata:
      return L"#text";
    case pugi::node_cdata:
      return L"#cdata-section";
    case pugi::node_comment:
      return L"#comment";
    case pugi::node_declaration:
      return L"xml";
    case pugi::node_doctype: {
      std::string value = node.value();
      return fromXmlUtf8(value.substr(0, value.find_first_of(" \t\r\n[")).c_str());
    }
    default:
      return fromXmlUtf8(node.name());
  }
}

std::optional<std::wstring> XmlNode::nodeValue() const {
  requireNode();
  if (attribute_) return decodeXmlValue(pugi::xml_attribute(attribute_).value(), XmlValueKind::Attribute);
  pugi::xml_node node(node_);
  switch (node.type()) {
    case pugi::node_pcdata:
      return decodeXmlValue(node.value(), XmlValueKind::Text);
    case pugi::node_cdata:
    case pugi::node_comment:
    case pugi::node_pi:
      return normalizedLineBreaks(node.value());
    case pugi::node_declaration: {
      std::wstring text;
      for (pugi::xml_attribute a : node.attributes()) {
        if (!text.empty()) text += L' ';
        text += fromXmlUtf8(a.name()) + L"=\"" + fromXmlUtf8(a.value()) + L"\"";
      }
      return text;
    }
    default:
      return std::nullopt;
  }
}

void XmlNode::setNodeValue(const std::wstring& value) const {
  requireNode();
  if (attribute_) {
    const std::string spelled = encodeXmlValue(value, XmlValueKind::Attribute);
    doc_->noteStartTagChange(pugi::xml_node(node_));
    if (!pugi::xml_attribute(attribute_).set_value(spelled.c_str())) {
      throw ComError(E_OUTOFMEMORY_RESULT);
    }
    return;
  }
  pugi::xml_node node(node_);
  doc_->noteSubtreeChange(node);
  switch (node.type()) {
    case pugi::node_pcdata:
      setRaw(node, encodeXmlValue(value, XmlValueKind::Text));
      ++doc_->generation;  // whitespace-only text is hidden, other text is not
      return;
    case pugi::node_cdata:
      if (value.find(L"]]>") != std::wstring::npos) {
        throw ComError(E_INVALIDARG_RESULT, L"A CDATA section cannot hold \"]]>\"");
      }
      setRaw(node, toUtf8OrThrow(value));
      return;
    case pugi::node_comment:
      if (value.find(L"--") != std::wstring::npos || (!value.empty() && value.back() == L'-')) {
        throw ComError(E_INVALIDARG_RESULT, L"A comment cannot hold \"--\" or end with '-'");
      }
      setRaw(node, toUtf8OrThrow(value));
      return;
    case pugi::node_pi:
      if (value.find(L"?>") != std::wstring::npos) {
        throw ComError(E_INVALIDARG_RESULT, L"A processing instruction cannot hold \"?>\"");
      }
      // Dropped first so that pugixml never copies shorter data over the
      // file's: the printer keeps the file's blanks only for data that is
      // still in the file's text.
      setRaw(node, {});
      setRaw(node, toUtf8OrThrow(value));
      return;
    default:
      throw ComError(E_FAIL_RESULT, vaformat(L"The value of a %s node cannot be set", typeName(nodeType())));
  }
}

XmlNodeList XmlNode::childNodes() const {
  requireNode();
  return Access::list(*this);
}

XmlNode XmlNode::firstChild() const {
  requireNode();
  if (attribute_) return XmlNode();
  doc_->expand(pugi::xml_node(node_));
  return Access::node(doc_, visibleFrom(*doc_, pugi::xml_node(node_).first_child(), true));
}

XmlNode XmlNode::lastChild() const {
  requireNode();
  if (attribute_) return XmlNode();
  doc_->expand(pugi::xml_node(node_));
  return Access::node(doc_, visibleFrom(*doc_, pugi::xml_node(node_).last_child(), false));
}

XmlNode XmlNode::nextSibling() const {
  requireNode();
  pugi::xml_node node(node_);
  if (attribute_ || node.parent() == doc_->holder) return XmlNode();
  return Access::node(doc_, visibleFrom(*doc_, node.next_sibling(), true));
}

XmlNode XmlNode::previousSibling() const {
  requireNode();
  pugi::xml_node node(node_);
  if (attribute_ || node.parent() == doc_->holder) return XmlNode();
  return Access::node(doc_, visibleFrom(*doc_, node.previous_sibling(), false));
}

XmlNode XmlNode::parentNode() const {
  requireNode();
  pugi::xml_node parent = pugi::xml_node(node_).parent();
  if (attribute_ || parent == doc_->holder) return XmlNode();
  return Access::node(doc_, parent);
}

XmlAttributeMap XmlNode::attributes() const {
  requireNode();
  if (attribute_ || pugi::xml_node(node_).type() != pugi::node_element) return XmlAttributeMap();
  return Access::map(*this);
}

XmlDocument XmlNode::ownerDocument() const {
  requireNode();
  return Access::document(doc_);
}

XmlNode XmlNode::appendChild(const XmlNode& child) const {
  requireNode();
  if (child.empty()) throw ComError(E_INVALIDARG_RESULT, L"No node was given to append");
  if (child.doc_ != doc_) throw ComError(E_INVALIDARG_RESULT, L"The node belongs to another document");
  if (attribute_ || child.attribute_) {
    throw ComError(E_FAIL_RESULT, L"Attributes cannot be appended and cannot have children");
  }
  pugi::xml_node parent(node_);
  pugi::xml_node moved(child.node_);
  XmlNodeType parentType = nodeType();
  XmlNodeType childType = child.nodeType();
  if (parentType != NODE_ELEMENT && parentType != NODE_DOCUMENT) {
    throw ComError(E_FAIL_RESULT, vaformat(L"A %s node cannot have children", typeName(parentType)));
  }
  if (childType == NODE_DOCUMENT || moved.type() == pugi::node_declaration ||
      (childType == NODE_DOCUMENT_TYPE && parentType != NODE_DOCUMENT)) {
    throw ComError(E_FAIL_RESULT, vaformat(L"A %s node cannot be appended here", typeName(childType)));
  }
  for (pugi::xml_node p = parent; p; p = p.parent()) {
    if (p == moved) throw ComError(E_FAIL_RESULT, L"A node cannot be appended to itself or to its own descendant");
  }
  if (parentType == NODE_DOCUMENT) {
    if (childType == NODE_TEXT || childType == NODE_CDATA_SECTION) {
      throw ComError(E_FAIL_RESULT, L"Text cannot stand outside the document element");
    }
    XmlElement root = ownerDocument().documentElement();
    if (childType == NODE_ELEMENT && !root.empty() && !(root == child)) {
      throw ComError(E_FAIL_RESULT, L"The document has a document element already");
    }
  }
  doc_->noteSubtreeChange(moved.parent());
  doc_->noteSubtreeChange(parent);
  if (moved.parent() != doc_->holder) layoutRemove(*doc_, moved);
  layoutAppend(*doc_, parent, moved);
  ++doc_->generation;
  return child;
}

XmlNode XmlNode::removeChild(const XmlNode& child) const {
  requireNode();
  if (child.empty()) throw ComError(E_INVALIDARG_RESULT, L"No node was given to remove");
  if (child.doc_ != doc_ || attribute_ || child.attribute_ ||
      pugi::xml_node(child.node_).parent() != pugi::xml_node(node_) || doc_->isHidden(pugi::xml_node(child.node_))) {
    throw ComError(E_INVALIDARG_RESULT, L"The node to remove is not a child of this node");
  }
  doc_->noteSubtreeChange(pugi::xml_node(node_));
  layoutRemove(*doc_, pugi::xml_node(child.node_));
  ++doc_->generation;
  return child;
}

XmlElement::XmlElement(const XmlNode& node) : XmlNode(node) {
  if (!empty() && nodeType() != NODE_ELEMENT) {
    throw ComError(E_NOINTERFACE_RESULT, L"The node is not an element");
  }
}

void XmlElement::setAttribute(const std::wstring& name, const std::wstring& value) const {
  requireNode();
  if (!isValidXmlName(name)) {
    throw ComError(E_INVALIDARG_RESULT, vaformat(L"'%s' is not a valid attribute name", name));
  }
  std::string spelled = encodeXmlValue(value, XmlValueKind::Attribute);
  std::string utf8Name = toUtf8OrThrow(name);
  pugi::xml_node element(node_);
  doc_->noteStartTagChange(element);
  pugi::xml_attribute attribute = element.attribute(utf8Name.c_str());
  if (!attribute) attribute = element.append_attribute(utf8Name.c_str());
  if (!attribute || !attribute.set_value(spelled.c_str())) throw ComError(E_OUTOFMEMORY_RESULT);
}

std::optional<std::wstring> XmlElement::getAttribute(const std::wstring& name) const {
  requireNode();
  std::optional<std::string> utf8Name = wideToUtf8(name);
  if (!utf8Name) return std::nullopt;
  pugi::xml_attribute attribute = pugi::xml_node(node_).attribute(utf8Name->c_str());
  if (!attribute) return std::nullopt;
  return decodeXmlValue(attribute.value(), XmlValueKind::Attribute);
}

}  // namespace wc
