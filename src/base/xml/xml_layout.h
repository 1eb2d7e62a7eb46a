#pragma once
// Keeps a document readable while it is edited. Whitespace-only text between
// elements is formatting owned by the layer:
// - an element appended under a parent goes last, on its own line, indented
//   like the parent's other element children (the whitespace before them is
//   copied), and the parent's closing tag keeps its line;
// - under a parent without element children it gets the parent's indentation
//   plus one indent unit, and the closing tag moves to its own line;
// - an element subtree built before it was appended is indented the same way;
// - a removed element takes the whitespace before it along, so no blank lines
//   pile up where elements were removed.
// Text content (an Alias name) and mixed content are never re-indented.

#include <optional>
#include <string>

#include "base/xml/xml_document_state.h"

namespace wc {

bool isFormattingText(pugi::xml_node node);

// Moves the detached `child` under `parent` as its last visible child.
void layoutAppend(XmlDocumentState& state, pugi::xml_node parent, pugi::xml_node child);
// Takes `child` (and the formatting before it) out of the tree into the
// state's holder.
void layoutRemove(XmlDocumentState& state, pugi::xml_node child);

// The blanks at the start of the line the node starts on; nothing when the
// node does not start a line.
std::optional<std::string> indentationOf(pugi::xml_node node);
// The step between the indentation of an element and its parent's, taken
// from the first element that shows one; two blanks when none does.
std::string detectIndentUnit(XmlDocumentState& state);

}  // namespace wc
