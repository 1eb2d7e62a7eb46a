#include "base/xml/xml_child_walk.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/errors/com_error.h"
#include "base/errors/win_error_codes.h"
#include "base/text/strings.h"
#include "base/xml/xml_document_state.h"
#include "base/xml/xml_text_codec.h"

namespace wc {

using Access = XmlHandleAccess;

namespace {

constexpr size_t kNone = std::string_view::npos;

// An element child in the content of a Host as the subset load checked it:
// start tags with a name and quoted attributes, end tags without blanks,
// text, comments.
struct SpelledChild {
  std::string_view tagName;
  std::string_view attributes;
  std::string_view text;  // its content: text alone
};

// Where the start tag whose name ends at `i` ends: its '>', or the '/' of
// "/>". Quoted values may hold both: each search is repeated only once `i`
// has passed what it found. kNone when there is no end.
size_t startTagEnd(std::string_view content, size_t i) {
  size_t close = content.find('>', i);
  size_t doubleQuote = content.find('"', i);
  size_t singleQuote = content.find('\'', i);
  for (;;) {
    const size_t open = std::min(doubleQuote, singleQuote);
    if (close == kNone || close < open) break;
    const size_t end = content.find(content[open], open + 1);
    if (end == kNone) return kNone;
    i = end + 1;
    if (close < i) close = content.find('>', i);
    if (doubleQuote < i) doubleQuote = content.find('"', i);
    if (singleQuote < i) singleQuote = content.find('\'', i);
  }
  if (close == kNone) return kNone;
  return content[close - 1] == '/' ? close - 1 : close;
}

// The element children of a Host's content; false when one of them holds a
// comment or an element: the handles read those.
bool spelledChildren(std::string_view content, std::vector<SpelledChild>& children) {
  size_t i = 0;
  while ((i = content.find('<', i)) != kNone) {
    if (content.compare(i, 4, "<!--") == 0) {
      if ((i = content.find("-->", i + 4)) == kNone) return false;
      i += 3;
      continue;
    }
    size_t nameEnd = i + 1;
    auto inName = [](char c) { return c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '/' && c != '>'; };
    while (nameEnd < content.size() && inName(content[nameEnd])) ++nameEnd;
    const size_t headEnd = startTagEnd(content, nameEnd);
    if (headEnd == kNone) return false;
    SpelledChild& child = children.emplace_back();
    child.tagName = content.substr(i + 1, nameEnd - i - 1);
    child.attributes = content.substr(nameEnd, headEnd - nameEnd);
    if (content[headEnd] == '/') {
      i = headEnd + 2;
      continue;
    }
    const size_t close = content.find('<', headEnd + 1);
    if (close == kNone || content.compare(close, 2, "</") != 0) return false;
    child.text = content.substr(headEnd + 1, close - headEnd - 1);
    i = close + 3 + child.tagName.size();
  }
  return true;
}

// The value of the attribute `name` as spelled in a start tag's attributes.
std::optional<std::string_view> spelledAttribute(std::string_view attributes, std::string_view name) {
  size_t i = 0;
  while ((i = attributes.find_first_not_of(" \t\r\n", i)) != kNone) {
    const size_t nameEnd = attributes.find_first_of(" \t\r\n=", i);
    const size_t open = attributes.find_first_of("\"'", nameEnd);
    const size_t close = open == kNone ? kNone : attributes.find(attributes[open], open + 1);
    if (close == kNone) break;
    if (attributes.substr(i, nameEnd - i) == name) return attributes.substr(open + 1, close - open - 1);
    i = close + 1;
  }
  return std::nullopt;
}

}  // namespace

void forEachChildElement(const XmlNode& parent,
                         const std::function<void(const XmlElement& element, std::string_view tagName)>& visit) {
  if (parent.empty()) throw ComError(E_POINTER_RESULT, L"The node handle is empty");
  if (Access::pugiAttribute(parent)) return;
  const std::shared_ptr<XmlDocumentState>& state = Access::state(parent);
  state->expand(Access::pugiNode(parent));
  for (pugi::xml_node n = Access::pugiNode(parent).first_child(); n; n = n.next_sibling()) {
    if (n.type() != pugi::node_element || state->isHidden(n)) continue;
    visit(Access::element(state, n), n.name());
  }
}

bool tagNameIs(std::string_view tagName, std::wstring_view name) {
  // ASCII against ASCII without a wide copy; anything else as the handles
  // compare it.
  auto lower = [](uint32_t c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
  // An ASCII tag name of another length cannot match: each character folds
  // to one of its own.
  if (tagName.size() != name.size()) {
    return std::any_of(tagName.begin(), tagName.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }) &&
           equalsIgnoreCase(fromXmlUtf8(std::string(tagName).c_str()), name);
  }
  bool ascii = true;
  for (size_t i = 0; ascii && i < tagName.size(); ++i) {
    const uint32_t c = static_cast<unsigned char>(tagName[i]);
    const uint32_t w = static_cast<uint32_t>(name[i]);
    if (c >= 0x80 || w >= 0x80) {
      ascii = false;
    } else if (lower(c) != lower(w)) {
      return false;
    }
  }
  if (ascii) return true;
  return equalsIgnoreCase(fromXmlUtf8(std::string(tagName).c_str()), name);
}

std::optional<std::wstring> attributeValue(const XmlElement& element, const char* name) {
  if (element.empty()) throw ComError(E_POINTER_RESULT, L"The node handle is empty");
  const pugi::xml_attribute attribute = Access::pugiNode(element).attribute(name);
  if (!attribute) return std::nullopt;
  return decodeXmlValue(attribute.value(), XmlValueKind::Attribute);
}

std::wstring firstChildValue(const XmlElement& element) {
  if (element.empty()) return std::wstring();
  const std::shared_ptr<XmlDocumentState>& state = Access::state(element);
  state->expand(Access::pugiNode(element));
  pugi::xml_node child = Access::pugiNode(element).first_child();
  while (child && state->isHidden(child)) child = child.next_sibling();
  if (!child) return std::wstring();
  return Access::node(state, child).nodeValue().value_or(std::wstring());
}

std::optional<std::wstring> XmlChildElement::attribute(const char* name) const {
  if (element_) return attributeValue(*element_, name);
  const std::optional<std::string_view> spelled = spelledAttribute(attributes_, name);
  if (!spelled) return std::nullopt;
  return decodeXmlValue(*spelled, XmlValueKind::Attribute);
}

std::wstring XmlChildElement::firstChildValue() const {
  if (element_) return wc::firstChildValue(*element_);
  // Text alone: one text node, hidden when it is only blanks.
  if (content_.find_first_not_of(" \t\r\n") == kNone) return std::wstring();
  return decodeXmlValue(content_, XmlValueKind::Text);
}

void readChildElements(const XmlElement& parent, const std::function<void(const XmlChildElement& child)>& visit) {
  if (parent.empty()) throw ComError(E_POINTER_RESULT, L"The node handle is empty");
  const std::shared_ptr<XmlDocumentState>& state = Access::state(parent);
  const auto found = state->spans.find(Access::pugiNode(parent).internal_object());
  if (found != state->spans.end() && found->second.deferred) {
    const XmlElementSpan& span = found->second;
    const std::string_view content =
        std::string_view(state->original).substr(span.headEnd + 1, span.contentEnd - span.headEnd - 1);
    std::vector<SpelledChild> children;
    children.reserve(16);
    if (spelledChildren(content, children)) {
      XmlChildElement child;
      for (const SpelledChild& spelled : children) {
        child.tagName_ = spelled.tagName;
        child.attributes_ = spelled.attributes;
        child.content_ = spelled.text;
        visit(child);
      }
      return;
    }
  }
  forEachChildElement(parent, [&visit](const XmlElement& element, std::string_view tagName) {
    XmlChildElement child;
    child.tagName_ = tagName;
    child.element_ = &element;
    visit(child);
  });
}

}  // namespace wc
