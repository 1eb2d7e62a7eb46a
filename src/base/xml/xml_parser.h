#pragma once
// Parses the UTF-8 text of a document into a document state. The parser is
// non-validating and never loads anything: a doctype is kept as text, its
// external subset and any external entity are never fetched.

#include <string>

#include "base/xml/xml_document_state.h"

namespace wc {

// Returns the reason when the text is not a well-formed document, with the
// line and column where the parser stopped; empty on success.
std::wstring parseXmlText(std::string utf8, XmlDocumentState& state);

}  // namespace wc
