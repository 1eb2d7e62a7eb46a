#include "base/xml/xml_start_tag.h"

#include <cstring>

#include "base/xml/xml_chars.h"
#include "base/xml/xml_text_scan.h"

namespace wc {

namespace {

// Values are held as they are spelled. A value that was written in single
// quotes may hold a '"'; in double quotes it becomes a reference.
void appendDoubleQuotable(const char* value, std::string& out) {
  for (const char* quote; (quote = std::strchr(value, '"')) != nullptr; value = quote + 1) {
    out.append(value, static_cast<size_t>(quote - value));
    out += "&quot;";
  }
  out += value;
}

}  // namespace

bool XmlStartTagWriter::append(pugi::xml_node element, std::string& out) {
  bool closesItself = true;
  if (!state_.changedStartTags.empty()) {
    auto changed = state_.changedStartTags.find(element.internal_object());
    if (changed != state_.changedStartTags.end()) {
      // The file's form of an empty element still counts (a rare path).
      std::string scratch;
      appendParsed(element, scratch, &closesItself);
      if (changed->second.fingerprint == startTagFingerprint(element)) {
        out += changed->second.head;
      } else {
        appendNewStartTag(element, out);
      }
      return closesItself;
    }
  }
  if (!appendParsed(element, out, &closesItself)) appendNewStartTag(element, out);
  return closesItself;
}

// The parser left a start tag's bytes as they were, except the byte after
// each name and the closing quote of each value, where it wrote NULs. The tag
// is copied in one piece and those bytes are put back: the quote is the one
// that opened the value; the byte after an attribute name was '=' unless an
// '=' still follows (then a blank); the byte after an element name, and a
// blank that was not a space, were noted before parsing.
bool XmlStartTagWriter::appendParsed(pugi::xml_node element, std::string& out, bool* closesItself) {
  // After the subset load the file's text is at hand, untouched.
  if (state_.loadedAsSubset()) {
    const XmlElementSpan* span = state_.spanOf(element);
    if (!span) return false;
    if (closesItself) *closesItself = state_.original[span->headEnd] == '/';
    out.append(state_.original, span->start, span->headEnd - span->start);
    return true;
  }
  const char* base = state_.buffer.data();
  const char* end = base + state_.buffer.size();  // the buffer ends in a NUL
  const char* name = element.name();
  if (!(name > base && name < end)) return false;
  const auto noted = [&](const char* at, char otherwise) {
    return state_.nameEnds.at(static_cast<size_t>(at - base), otherwise, nameEndHint_);
  };
  const auto endOfName = [](const char* s) {
    while (isXmlNameByte(static_cast<unsigned char>(*s))) ++s;
    return s;
  };

  restored_.clear();
  const char* nameEnd = endOfName(name);
  if (*nameEnd != '\0' || nameEnd == name) return false;
  const char* close = nameEnd;
  const char afterName = noted(nameEnd, ' ');
  if (afterName != '>' && afterName != '/') {
    restore(nameEnd - name, afterName);
    const char* s = nameEnd + 1;
    for (;;) {
      while (isXmlBlankByte(*s)) ++s;
      if (*s == '/' || *s == '>') break;
      const char* attributeNameEnd = endOfName(s);
      if (*attributeNameEnd != '\0' || attributeNameEnd == s) return false;
      s = attributeNameEnd + 1;
      while (isXmlBlankByte(*s)) ++s;
      restore(attributeNameEnd - name, *s == '=' ? noted(attributeNameEnd, ' ') : '=');
      while (isXmlBlankByte(*s) || *s == '=') ++s;
      if (*s != '"' && *s != '\'') return false;
      const char* valueEnd = static_cast<const char*>(std::memchr(s + 1, 0, static_cast<size_t>(end - s - 1)));
      if (!valueEnd || valueEnd + 1 >= end) return false;
      restore(valueEnd - name, *s);
      s = valueEnd + 1;
    }
    close = s;
  }

  if (closesItself) *closesItself = (close == nameEnd ? afterName : *close) == '/';
  const size_t start = out.size() + 1;  // after the '<'
  out += '<';
  out.append(name, static_cast<size_t>(close - name));
  for (const Restored& r : restored_) out[start + r.offset] = r.byte;
  return true;
}

void appendNewStartTag(pugi::xml_node element, std::string& out) {
  out += '<';
  out += element.name();
  for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute()) {
    out += ' ';
    out += a.name();
    out += "=\"";
    appendDoubleQuotable(a.value(), out);
    out += '"';
  }
}

std::string startTagFingerprint(pugi::xml_node element) {
  std::string fingerprint = element.name();
  for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute()) {
    fingerprint += '\0';
    fingerprint += a.name();
    fingerprint += '\0';
    appendDoubleQuotable(a.value(), fingerprint);
  }
  return fingerprint;
}

}  // namespace wc
