// The line of the loaded text on which an element begins.

#include <algorithm>
#include <cstdint>

#include "base/xml/vxml.h"
#include "base/xml/xml_document_state.h"

namespace wc {

namespace {

// A line feed ends a line; where the parser ended a name with a NUL, the
// recorded name end tells whether a line feed stood there.
std::vector<size_t> lineStartsOf(const XmlDocumentState& state) {
  const std::string& text = state.loadedAsSubset() ? state.original : state.buffer;
  std::vector<size_t> starts{0};
  size_t hint = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\n' || (c == '\0' && state.nameEnds.at(i, 0, hint) == '\n')) starts.push_back(i + 1);
  }
  return starts;
}

}  // namespace

size_t vxmlSourceOffset(const XmlElement& element) {
  const std::shared_ptr<XmlDocumentState>& state = XmlHandleAccess::state(element);
  const pugi::xml_node node = XmlHandleAccess::pugiNode(element);
  if (!state || !node) return SIZE_MAX;
  if (state->loadedAsSubset()) {
    const XmlElementSpan* span = state->spanOf(node);
    return span ? span->start : SIZE_MAX;
  }
  // A parsed element's name still points into the text, just after its '<'.
  const char* name = node.name();
  const char* begin = state->buffer.data();
  return name <= begin || name >= begin + state->buffer.size() ? SIZE_MAX : static_cast<size_t>(name - 1 - begin);
}

size_t vxmlSourceLine(const XmlElement& element) {
  const size_t offset = vxmlSourceOffset(element);
  if (offset == SIZE_MAX) return 0;
  XmlDocumentState& state = *XmlHandleAccess::state(element);
  if (state.lineStarts.empty()) state.lineStarts = lineStartsOf(state);
  const auto after = std::upper_bound(state.lineStarts.begin(), state.lineStarts.end(), offset);
  return static_cast<size_t>(after - state.lineStarts.begin());
}

}  // namespace wc
