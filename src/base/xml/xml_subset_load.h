#pragma once
// A load that parses only what the commands touch. One pass over the text
// checks that it keeps to a common subset of XML (the declaration, elements
// with ASCII names and quoted attribute values, text and comments, the
// predefined and character references, characters XML allows) and notes
// where each element stands. The contents of the Engine's Hosts are left out
// of the parsed text and parsed when first asked for
// (XmlDocumentState::expand); a save copies every unchanged element from the
// text as it was read. A text outside the subset (a doctype, CDATA, a
// processing instruction, anything malformed) is left to the full load, so
// verdicts and messages are the full load's.

#include <string>

#include "base/xml/vxml.h"
#include "base/xml/xml_document_state.h"

namespace wc {

// Loads the UTF-8 text (without its byte order mark) into a new `state`,
// telling `hostReader` (if any) of the Hosts as it passes them (vxml.h).
// False, with `utf8` as it was, when the text is outside the subset.
bool loadXmlSubset(std::string& utf8, XmlDocumentState& state, XmlHostReader* hostReader = nullptr);

// What vxmlLoad does (vxml.cpp), or with `subsetAllowed` false the full load
// alone, to compare the two.
XmlDocument loadXmlDocument(const std::wstring& path, bool validateOnParse, bool resolveExternals, bool subsetAllowed,
                            XmlHostReader* hostReader = nullptr);

}  // namespace wc
