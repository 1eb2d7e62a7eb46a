#pragma once
// A walk for code that reads thousands of elements once (a check of every
// Host of a server.xml): the element children of a node, as the handles of
// xml_dom.h give them, without a child list or a wide copy of each tag name.

#include <functional>
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

}  // namespace wc
