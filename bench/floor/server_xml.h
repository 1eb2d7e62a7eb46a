#pragma once
// server.xml as the floor programs handle it: one parse with pugixml that
// keeps comments and the whitespace between elements, edits on the DOM, one
// durable save written as the DOM holds it.

#include <string>

#include <pugixml.hpp>

namespace floorwork {

// Throws std::runtime_error with the parser's reason.
void loadServerXml(pugi::xml_document& document, const std::string& path);
void saveServerXml(const pugi::xml_document& document, const std::string& path);

// The HCP Engine of the HCP Service; empty when there is none.
pugi::xml_node findEngine(const pugi::xml_document& document);
// The first child element of `parent` with the tag (letter case ignored) and
// the "name" attribute (exact).
pugi::xml_node findChild(pugi::xml_node parent, const char* tag, const std::string& name);
// The first Alias child whose text is `name`.
pugi::xml_node findAlias(pugi::xml_node host, const std::string& name);

}  // namespace floorwork
