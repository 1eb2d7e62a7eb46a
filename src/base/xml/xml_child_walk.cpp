#include "base/xml/xml_child_walk.h"

#include <algorithm>
#include <cstdint>

#include "base/errors/com_error.h"
#include "base/errors/win_error_codes.h"
#include "base/text/strings.h"
#include "base/xml/xml_document_state.h"

namespace wc {

using Access = XmlHandleAccess;

void forEachChildElement(const XmlNode& parent,
                         const std::function<void(const XmlElement& element, std::string_view tagName)>& visit) {
  if (parent.empty()) throw ComError(E_POINTER_RESULT, L"The node handle is empty");
  if (Access::pugiAttribute(parent)) return;
  const std::shared_ptr<XmlDocumentState>& state = Access::state(parent);
  state->expand(Access::pugiNode(parent));
  for (pugi::xml_node n = Access::pugiNode(parent).first_child(); n; n = n.next_sibling()) {
    if (n.type() != pugi::node_element || state->isHidden(n)) continue;
    visit(Access::element(state, n), n.name());
  }
}

bool tagNameIs(std::string_view tagName, std::wstring_view name) {
  // ASCII against ASCII without a wide copy; anything else as the handles
  // compare it.
  auto lower = [](uint32_t c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
  // An ASCII tag name of another length cannot match: each character folds
  // to one of its own.
  if (tagName.size() != name.size()) {
    return std::any_of(tagName.begin(), tagName.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }) &&
           equalsIgnoreCase(fromXmlUtf8(std::string(tagName).c_str()), name);
  }
  bool ascii = true;
  for (size_t i = 0; ascii && i < tagName.size(); ++i) {
    const uint32_t c = static_cast<unsigned char>(tagName[i]);
    const uint32_t w = static_cast<uint32_t>(name[i]);
    if (c >= 0x80 || w >= 0x80) {
      ascii = false;
    } else if (lower(c) != lower(w)) {
      return false;
    }
  }
  if (ascii) return true;
  return equalsIgnoreCase(fromXmlUtf8(std::string(tagName).c_str()), name);
}

}  // namespace wc
