#pragma once
// Parses the UTF-8 text of a document into a document state. The parser is
// non-validating and never loads anything: a doctype is kept as text, its
// external subset and any external entity are never fetched.

#include <string>

#include "base/xml/xml_document_state.h"

namespace wc {

// Everything the file holds is kept as it is spelled: comments, the
// declaration, the doctype, processing instructions, whitespace between
// nodes (also outside the document element, which is why the text is parsed
// as a fragment and the single-root rule is checked here), references and
// line breaks.
constexpr unsigned kXmlParseOptions =
    (pugi::parse_full | pugi::parse_ws_pcdata | pugi::parse_fragment) &
    ~(pugi::parse_escapes | pugi::parse_eol | pugi::parse_wconv_attribute | pugi::parse_wnorm_attribute);

// The node after `node` in document order within `root`'s subtree, or an
// empty one: depth first without recursion, so deep files cannot exhaust the
// stack.
pugi::xml_node nextInDocumentOrder(pugi::xml_node node, pugi::xml_node root);

// Returns the reason when the text is not a well-formed document, with the
// line and column where the parser stopped; empty on success.
std::wstring parseXmlText(std::string utf8, XmlDocumentState& state);

}  // namespace wc
