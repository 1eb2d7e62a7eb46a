#include "floor/server_xml.h"

#include <stdexcept>

#include "floor/durable_write.h"
#include "floor/string_writer.h"

namespace floorwork {

namespace {

constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_declaration | pugi::parse_comments |
                                   pugi::parse_doctype | pugi::parse_pi | pugi::parse_ws_pcdata;

bool sameTag(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b) {
    char x = (*a >= 'A' && *a <= 'Z') ? static_cast<char>(*a - 'A' + 'a') : *a;
    char y = (*b >= 'A' && *b <= 'Z') ? static_cast<char>(*b - 'A' + 'a') : *b;
    if (x != y) return false;
  }
  return *a == *b;
}

}  // namespace

void loadServerXml(pugi::xml_document& document, const std::string& path) {
  pugi::xml_parse_result result = document.load_file(path.c_str(), kParseOptions, pugi::encoding_utf8);
  if (!result) throw std::runtime_error(std::string(result.description()) + " at load " + path);
}

void saveServerXml(const pugi::xml_document& document, const std::string& path) {
  std::string bytes;
  StringWriter writer(bytes);
  document.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
  replaceFileDurably(path, bytes);
}

pugi::xml_node findChild(pugi::xml_node parent, const char* tag, const std::string& name) {
  for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
    if (child.type() == pugi::node_element && sameTag(child.name(), tag) && name == child.attribute("name").value()) {
      return child;
    }
  }
  return {};
}

pugi::xml_node findEngine(const pugi::xml_document& document) {
  pugi::xml_node service = findChild(document.document_element(), "Service", "HCP");
  return service ? findChild(service, "Engine", "HCP") : pugi::xml_node();
}

pugi::xml_node findAlias(pugi::xml_node host, const std::string& name) {
  for (pugi::xml_node child = host.first_child(); child; child = child.next_sibling()) {
    if (child.type() != pugi::node_element || !sameTag(child.name(), "Alias")) continue;
    for (pugi::xml_node text = child.first_child(); text; text = text.next_sibling()) {
      if (text.type() == pugi::node_pcdata && name == text.value()) return child;
    }
  }
  return {};
}

}  // namespace floorwork
