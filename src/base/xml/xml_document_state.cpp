#include "base/xml/xml_document_state.h"

#include "base/text/unicode.h"
#include "base/xml/xml_layout.h"
#include "base/xml/xml_start_tag.h"

namespace wc {

pugi::xml_node XmlDocumentState::ensureHolder() {
  if (!holder) {
    holder = tree.append_child(pugi::node_element);
    holder.set_name("detached");
  }
  return holder;
}

bool XmlDocumentState::isHidden(pugi::xml_node node) const {
  return (holder && node == holder) || isFormattingText(node);
}

bool XmlDocumentState::isAttached(pugi::xml_node node) const {
  for (pugi::xml_node n = node; n; n = n.parent()) {
    if (holder && n == holder) return false;
    if (n.type() == pugi::node_document) return true;
  }
  return false;
}

std::wstring fromXmlUtf8(const char* text) { return utf8ToWideLenient(text ? text : ""); }

void XmlDocumentState::noteSubtreeChange(pugi::xml_node node) {
  expand(node);
  for (pugi::xml_node n = node; n; n = n.parent()) {
    if (auto found = spans.find(n.internal_object()); found != spans.end() && found->second.innerSpansDue) {
      giveInnerSpans(n, found->second);
    }
    changedSubtrees.insert(n.internal_object());
  }
}

void XmlDocumentState::noteStartTagChange(pugi::xml_node element) {
  noteSubtreeChange(element);
  if (changedStartTags.contains(element.internal_object())) return;
  std::string head;
  if (!XmlStartTagWriter(*this).appendParsed(element, head)) return;  // spelled anew anyway
  changedStartTags.emplace(element.internal_object(), SpelledStartTag{std::move(head), startTagFingerprint(element)});
}

}  // namespace wc
