#include "base/errors/com_error.h"
#include "base/errors/win_error_codes.h"
#include "base/text/unicode.h"
#include "base/text/vaformat.h"
#include "base/xml/xml_chars.h"
#include "base/xml/xml_document_state.h"
#include "base/xml/xml_dom.h"
#include "base/xml/xml_text_codec.h"

namespace wc {

XmlDocument::XmlDocument(std::shared_ptr<XmlDocumentState> doc)
    : XmlNode(doc, doc ? doc->tree.internal_object() : nullptr) {}

XmlDocument XmlDocument::create() { return XmlDocument(std::make_shared<XmlDocumentState>()); }

XmlElement XmlDocument::documentElement() const {
  requireNode();
  for (pugi::xml_node n = doc_->tree.first_child(); n; n = n.next_sibling()) {
    if (n.type() == pugi::node_element && n != doc_->holder) return XmlHandleAccess::element(doc_, n);
  }
  return XmlElement();
}

XmlElement XmlDocument::createElement(const std::wstring& tagName) const {
  requireNode();
  if (!isValidXmlName(tagName)) {
    throw ComError(E_INVALIDARG_RESULT, vaformat(L"'%s' is not a valid element name", tagName));
  }
  std::optional<std::string> name = wideToUtf8(tagName);
  if (!name) throw ComError(E_INVALIDARG_RESULT, L"The element name is not valid Unicode");
  pugi::xml_node element = doc_->ensureHolder().append_child(pugi::node_element);
  if (!element || !element.set_name(name->c_str())) throw ComError(E_OUTOFMEMORY_RESULT);
  return XmlHandleAccess::element(doc_, element);
}

XmlNode XmlDocument::createTextNode(const std::wstring& text) const {
  requireNode();
  std::string spelled = encodeXmlValue(text, XmlValueKind::Text);
  pugi::xml_node node = doc_->ensureHolder().append_child(pugi::node_pcdata);
  if (!node || !node.set_value(spelled.c_str())) throw ComError(E_OUTOFMEMORY_RESULT);
  return XmlHandleAccess::node(doc_, node);
}

bool XmlDocument::validateOnParse() const {
  requireNode();
  return doc_->validateOnParse;
}

bool XmlDocument::resolveExternals() const {
  requireNode();
  return doc_->resolveExternals;
}

}  // namespace wc
