#pragma once
// Walks for code that reads thousands of elements once (a check of every Host
// of a server.xml): the element children of a node and the value of an
// element's first child, as the handles of xml_dom.h give them, without a
// child list, a handle per step or a wide copy of each tag name.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/xml/xml_dom.h"

namespace wc {

// Calls `visit` for each element of parent.childNodes(), in document order,
// with its tag name as the document holds it (UTF-8). ComError E_POINTER for
// an empty `parent`.
void forEachChildElement(const XmlNode& parent,
                         const std::function<void(const XmlElement& element, std::string_view tagName)>& visit);

// Whether a tag name as forEachChildElement gives it equals `name` ignoring
// letter case, as vxmlIsNodeOfType compares them.
bool tagNameIs(std::string_view tagName, std::wstring_view name);

// What element.getAttribute(name) gives, for a name in ASCII: without a
// conversion of the name per call. ComError E_POINTER for an empty `element`.
std::optional<std::wstring> attributeValue(const XmlElement& element, const char* name);

// What vxmlGetNodeValue(element.firstChild(), L"") gives: the value of the
// element's first child, empty when it has none or one without a value.
std::wstring firstChildValue(const XmlElement& element);

// An element child as readChildElements gives it: its tag name as
// forEachChildElement gives it, and what attributeValue and firstChildValue
// give for it.
class XmlChildElement {
 public:
  std::string_view tagName() const { return tagName_; }
  std::optional<std::wstring> attribute(const char* name) const;
  std::wstring firstChildValue() const;

 private:
  friend void readChildElements(const XmlElement&, const std::function<void(const XmlChildElement&)>&);
  std::string_view tagName_;
  const XmlElement* element_ = nullptr;  // when read through the handles
  std::string_view attributes_;          // else: as spelled in the text as read
  std::string_view content_;
};

// The element children of `parent` in document order, as forEachChildElement
// gives them. The content of a Host that the subset load left unparsed is read
// from the text as read without parsing it, when its children hold only text
// (the panel's Aliases, Realm and Context): no node, handle or copy per child.
// ComError E_POINTER for an empty `parent`.
void readChildElements(const XmlElement& parent, const std::function<void(const XmlChildElement& child)>& visit);

}  // namespace wc
