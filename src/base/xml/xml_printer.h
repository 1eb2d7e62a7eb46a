#pragma once
// The document as a save writes it: everything as it is held (values as they
// are spelled), start tags as described in xml_start_tag.h, an element
// without children as an empty-element tag, no declaration or indentation
// added.

#include <functional>
#include <string>
#include <string_view>

#include "base/xml/xml_document_state.h"

namespace wc {

// Appends the document, as UTF-8, to `out`. With `spill`, `out` is handed to
// it and emptied whenever it holds kXmlPrintPiece bytes or more, and long
// unchanged stretches go to it straight from the file's text.
constexpr size_t kXmlPrintPiece = size_t{1} << 16;
void printXmlDocument(const XmlDocumentState& state, std::string& out,
                      const std::function<void(std::string_view)>& spill = {});

}  // namespace wc
