#include "base/errors/com_error.h"
#include "base/errors/win_error_codes.h"
#include "base/text/unicode.h"
#include "base/xml/xml_document_state.h"
#include "base/xml/xml_dom.h"

namespace wc {

using Access = XmlHandleAccess;

void XmlNodeList::refresh() const {
  if (parent_.empty()) throw ComError(E_POINTER_RESULT, L"The node list handle is empty");
  XmlDocumentState& state = *Access::state(parent_);
  if (cached_ && cacheGeneration_ == state.generation) return;
  cache_.clear();
  if (!Access::pugiAttribute(parent_)) {
    state.expand(Access::pugiNode(parent_));
    for (pugi::xml_node n = Access::pugiNode(parent_).first_child(); n; n = n.next_sibling()) {
      if (!state.isHidden(n)) cache_.push_back(n.internal_object());
    }
  }
  cacheGeneration_ = state.generation;
  cached_ = true;
}

int32_t XmlNodeList::length() const {
  refresh();
  return static_cast<int32_t>(cache_.size());
}

XmlNode XmlNodeList::item(int32_t index) const {
  refresh();
  if (index < 0 || static_cast<size_t>(index) >= cache_.size()) return XmlNode();
  return Access::node(Access::state(parent_), pugi::xml_node(cache_[static_cast<size_t>(index)]));
}

int32_t XmlAttributeMap::length() const {
  if (element_.empty()) throw ComError(E_POINTER_RESULT, L"The attribute map handle is empty");
  int32_t count = 0;
  for (pugi::xml_attribute a = Access::pugiNode(element_).first_attribute(); a; a = a.next_attribute()) ++count;
  return count;
}

XmlNode XmlAttributeMap::item(int32_t index) const {
  if (element_.empty()) throw ComError(E_POINTER_RESULT, L"The attribute map handle is empty");
  pugi::xml_node element = Access::pugiNode(element_);
  pugi::xml_attribute a = element.first_attribute();
  for (int32_t i = 0; a && i < index; ++i) a = a.next_attribute();
  if (index < 0) a = pugi::xml_attribute();
  return Access::attribute(Access::state(element_), element, a);
}

XmlNode XmlAttributeMap::getNamedItem(const std::wstring& name) const {
  if (element_.empty()) throw ComError(E_POINTER_RESULT, L"The attribute map handle is empty");
  std::optional<std::string> utf8Name = wideToUtf8(name);
  if (!utf8Name) return XmlNode();
  pugi::xml_node element = Access::pugiNode(element_);
  return Access::attribute(Access::state(element_), element, element.attribute(utf8Name->c_str()));
}

}  // namespace wc
