#pragma once
// Building the elements the panel writes into server.xml: attributes are set
// in the order given.

#include <initializer_list>
#include <string>
#include <utility>

#include "base/xml/vxml.h"

namespace wc {

using XmlAttributes = std::initializer_list<std::pair<const wchar_t*, std::wstring>>;

inline void setAttributes(const XmlElement& element, XmlAttributes attributes) {
  for (const auto& [name, value] : attributes) vxmlSetAttribute(element, name, value);
}

// A new element of the document, not appended anywhere yet.
inline XmlElement newElement(const XmlDocument& document, const wchar_t* tag, XmlAttributes attributes) {
  XmlElement element = document.createElement(tag);
  setAttributes(element, attributes);
  return element;
}

// Appends <tag>text</tag> as the last child of `parent`.
inline void appendTextElement(const XmlDocument& document, const XmlElement& parent, const wchar_t* tag,
                              const std::wstring& text) {
  XmlElement element = document.createElement(tag);
  element.appendChild(document.createTextNode(text));
  parent.appendChild(element);
}

}  // namespace wc
