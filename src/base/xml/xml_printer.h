#pragma once
// The document as a save writes it: everything as it is held (values as they
// are spelled), start tags as described in xml_start_tag.h, an element
// without children as an empty-element tag, no declaration or indentation
// added.

#include <string>

#include "base/xml/xml_document_state.h"

namespace wc {

// Appends the document, as UTF-8, to `out`.
void printXmlDocument(const XmlDocumentState& state, std::string& out);

}  // namespace wc
