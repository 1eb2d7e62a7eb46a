#include "base/xml/xml_end_tags.h"

#include "base/xml/xml_chars.h"
#include "base/xml/xml_text_scan.h"

namespace wc {

namespace {

constexpr size_t kNotFound = std::string_view::npos;

// Just past the first `end` at or after `from`, or kNotFound.
size_t after(std::string_view text, std::string_view end, size_t from) {
  const size_t at = text.find(end, from);
  return at == kNotFound ? kNotFound : at + end.size();
}

size_t skipName(std::string_view text, size_t i) {
  while (i < text.size() && isXmlNameByte(static_cast<unsigned char>(text[i]))) ++i;
  return i;
}

// Past the "]]>" that ends a conditional section starting at `i`; they nest.
size_t skipConditionalSection(std::string_view text, size_t i) {
  int depth = 0;
  for (i += 3; i < text.size();) {
    if (text.compare(i, 3, "<![") == 0) {
      ++depth, i += 3;
    } else if (text.compare(i, 3, "]]>") == 0) {
      i += 3;
      if (depth-- == 0) return i;
    } else {
      ++i;
    }
  }
  return kNotFound;
}

// Past the '>' that ends the document type declaration starting at `i`, found
// the way the parser finds it: every "<!" opens a group that a '>' closes,
// while quoted literals, comments and processing instructions are skipped
// whole; brackets count for nothing.
size_t skipDoctype(std::string_view text, size_t i) {
  int depth = 0;
  for (i += 2; i != kNotFound && i < text.size();) {
    const char c = text[i];
    if (text.compare(i, 3, "<![") == 0) {
      i = skipConditionalSection(text, i);
    } else if (text.compare(i, 4, "<!--") == 0) {
      i = after(text, "-->", i + 4);
    } else if (text.compare(i, 2, "<!") == 0) {
      ++depth, i += 2;
    } else if (text.compare(i, 2, "<?") == 0) {
      i = after(text, "?>", i + 2);
    } else if (c == '"' || c == '\'') {
      i = after(text, std::string_view(&c, 1), i + 1);
    } else if (c == '<') {
      return kNotFound;
    } else if (c == '>') {
      if (depth-- == 0) return i + 1;
      ++i;
    } else {
      ++i;
    }
  }
  return kNotFound;
}

// Past the '>' or "/>" of a start tag whose name starts at `i`; `selfClosing`
// tells which.
size_t skipStartTag(std::string_view text, size_t i, bool& selfClosing) {
  for (i = skipName(text, i); i < text.size();) {
    const char c = text[i];
    if (c == '"' || c == '\'') {
      i = after(text, std::string_view(&c, 1), i + 1);
      if (i == kNotFound) return kNotFound;
    } else if (c == '>' || text.compare(i, 2, "/>") == 0) {
      selfClosing = c == '/';
      return i + (selfClosing ? 2 : 1);
    } else {
      ++i;
    }
  }
  return kNotFound;
}

}  // namespace

std::vector<XmlEndTagBlanks> findEndTagBlanks(std::string_view text) {
  std::vector<XmlEndTagBlanks> found;
  std::vector<size_t> open;  // places of the elements not closed yet
  size_t elements = 0;
  for (size_t i = text.find('<'); i != kNotFound && i < text.size(); i = text.find('<', i)) {
    if (text.compare(i, 4, "<!--") == 0) {
      i = after(text, "-->", i + 4);
    } else if (text.compare(i, 9, "<![CDATA[") == 0) {
      i = after(text, "]]>", i + 9);
    } else if (text.compare(i, 2, "<?") == 0) {
      i = after(text, "?>", i + 2);
    } else if (text.compare(i, 2, "<!") == 0) {
      i = skipDoctype(text, i);
    } else if (text.compare(i, 2, "</") == 0) {
      const size_t nameEnd = skipName(text, i + 2);
      size_t close = nameEnd;
      while (close < text.size() && isXmlBlankByte(text[close])) ++close;
      if (open.empty() || close >= text.size() || text[close] != '>') break;
      if (close > nameEnd) found.push_back({open.back(), std::string(text.substr(nameEnd, close - nameEnd))});
      open.pop_back();
      i = close + 1;
    } else {
      bool selfClosing = false;
      const size_t element = elements++;
      i = skipStartTag(text, i + 1, selfClosing);
      if (!selfClosing) open.push_back(element);
    }
  }
  return found;
}

}  // namespace wc
