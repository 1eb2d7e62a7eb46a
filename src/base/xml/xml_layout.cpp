#include "base/xml/xml_layout.h"

#include <cstring>
#include <vector>

namespace wc {

namespace {

bool isTextLike(pugi::xml_node node) { return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata; }

pugi::xml_node insertFormatting(pugi::xml_node parent, pugi::xml_node before, const std::string& text) {
  pugi::xml_node ws =
      before ? parent.insert_child_before(pugi::node_pcdata, before) : parent.append_child(pugi::node_pcdata);
  ws.set_value(text.c_str());
  return ws;
}

std::string lastLine(const std::string& whitespace) {
  size_t newline = whitespace.find_last_of('\n');
  return newline == std::string::npos ? whitespace : whitespace.substr(newline + 1);
}

bool hasVisibleText(pugi::xml_node parent) {
  for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling()) {
    if (isTextLike(n) && !isFormattingText(n)) return true;
  }
  return false;
}

// The whitespace that precedes the parent's last element child that has some;
// other node kinds (comments) count when there is no element child.
std::optional<std::string> siblingLead(pugi::xml_node parent) {
  for (bool elementsOnly : {true, false}) {
    for (pugi::xml_node n = parent.last_child(); n; n = n.previous_sibling()) {
      if (isTextLike(n)) continue;
      if (elementsOnly && n.type() != pugi::node_element) continue;
      pugi::xml_node before = n.previous_sibling();
      if (isFormattingText(before)) return std::string(before.value());
    }
  }
  return std::nullopt;
}

bool hasVisibleChildren(const XmlDocumentState& state, pugi::xml_node parent) {
  for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling()) {
    if (!state.isHidden(n)) return true;
  }
  return false;
}

// Indents a subtree that was built without any formatting.
void indentFreshSubtree(XmlDocumentState& state, pugi::xml_node element, const std::string& indent) {
  state.expand(element);
  if (element.type() != pugi::node_element || !element.first_child()) return;
  std::vector<pugi::xml_node> children;
  for (pugi::xml_node n = element.first_child(); n; n = n.next_sibling()) {
    if (isTextLike(n)) return;  // text content or formatting of its own: leave it
    children.push_back(n);
  }
  state.noteSubtreeChange(element);
  const std::string inner = indent + state.indentUnit;
  for (pugi::xml_node child : children) {
    insertFormatting(element, child, state.newline + inner);
    indentFreshSubtree(state, child, inner);
  }
  insertFormatting(element, pugi::xml_node(), state.newline + indent);
}

void appendToDocument(XmlDocumentState& state, pugi::xml_node child) {
  pugi::xml_node document = state.tree;
  pugi::xml_node before = state.holder;  // the holder stays last
  pugi::xml_node previous = before ? before.previous_sibling() : document.last_child();
  if (previous && !isFormattingText(previous)) insertFormatting(document, before, state.newline);
  if (before) {
    document.insert_move_before(child, before);
  } else {
    document.append_move(child);
  }
  indentFreshSubtree(state, child, "");
}

// Whether an element of this unparsed content can have an indentation: a
// line of it starts with a blank (the text is kept as spelled).
bool mayIndent(std::string_view content) {
  for (size_t at = content.find('\n'); at != std::string_view::npos; at = content.find('\n', at + 1)) {
    const char next = at + 1 < content.size() ? content[at + 1] : '\n';
    if (next == ' ' || next == '\t' || next == '\r') return true;
  }
  return false;
}

}  // namespace

bool isFormattingText(pugi::xml_node node) {
  if (node.type() != pugi::node_pcdata) return false;
  const char* value = node.value();
  return value[std::strspn(value, " \t\r\n")] == '\0';
}

std::optional<std::string> indentationOf(pugi::xml_node node) {
  pugi::xml_node before = node.previous_sibling();
  if (isFormattingText(before)) {
    std::string ws = before.value();
    if (ws.find('\n') != std::string::npos) return lastLine(ws);
  }
  if (node.parent().type() == pugi::node_document) return std::string();
  return std::nullopt;
}

std::string detectIndentUnit(XmlDocumentState& state) {
  std::vector<pugi::xml_node> pending{state.tree};
  while (!pending.empty()) {
    pugi::xml_node parent = pending.back();
    pending.pop_back();
    // A Host left unparsed whose lines start with no blank (a file without
    // indentation) holds no answer: it stays unparsed.
    const auto span = state.spans.find(parent.internal_object());
    if (span != state.spans.end() && span->second.deferred &&
        !mayIndent(std::string_view(state.original)
                       .substr(span->second.headEnd + 1, span->second.contentEnd - span->second.headEnd - 1)))
      continue;
    state.expand(parent);
    std::optional<std::string> parentIndent;
    if (parent.type() == pugi::node_element) parentIndent = indentationOf(parent);
    for (pugi::xml_node child = parent.last_child(); child; child = child.previous_sibling()) {
      if (child.type() != pugi::node_element) continue;
      if (parentIndent) {
        std::optional<std::string> own = indentationOf(child);
        if (own && own->size() > parentIndent->size() && own->compare(0, parentIndent->size(), *parentIndent) == 0) {
          return own->substr(parentIndent->size());
        }
      }
      pending.push_back(child);
    }
  }
  return "  ";
}

void layoutAppend(XmlDocumentState& state, pugi::xml_node parent, pugi::xml_node child) {
  if (parent.type() == pugi::node_document) {
    appendToDocument(state, child);
    return;
  }
  if (!state.isAttached(parent) || isTextLike(child) || hasVisibleText(parent)) {
    parent.append_move(child);
    return;
  }
  pugi::xml_node tail = isFormattingText(parent.last_child()) ? parent.last_child() : pugi::xml_node();
  std::optional<std::string> lead;
  std::optional<std::string> closing;
  if (hasVisibleChildren(state, parent)) {
    lead = siblingLead(parent);
  } else if (std::optional<std::string> indent = indentationOf(parent)) {
    lead = state.newline + *indent + state.indentUnit;
    if (!tail) closing = state.newline + *indent;
  }
  if (lead) insertFormatting(parent, tail, *lead);
  if (tail) {
    parent.insert_move_before(child, tail);
  } else {
    parent.append_move(child);
  }
  if (closing) insertFormatting(parent, pugi::xml_node(), *closing);
  if (lead && lead->find('\n') != std::string::npos) indentFreshSubtree(state, child, lastLine(*lead));
}

void layoutRemove(XmlDocumentState& state, pugi::xml_node child) {
  pugi::xml_node holder = state.ensureHolder();
  pugi::xml_node before = child.previous_sibling();
  if (!isTextLike(child) && isFormattingText(before)) holder.append_move(before);
  holder.append_move(child);
}

}  // namespace wc
