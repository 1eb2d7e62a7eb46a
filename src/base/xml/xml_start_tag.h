#pragma once
// Start tags on the way out. A start tag the layer did not change is written
// as the file spelled it (line breaks between attributes, single quotes and
// all); a changed or new one is spelled anew on one line with double quotes.
// Both are written without their closing '>' or "/>".

#include <cstddef>
#include <string>
#include <vector>

#include "base/xml/xml_document_state.h"

namespace wc {

class XmlStartTagWriter {
 public:
  explicit XmlStartTagWriter(const XmlDocumentState& state) : state_(state) {}

  // The start tag the way a save writes it: as spelled while the name and
  // the attributes are what they were when the file was read, else anew.
  // True when an empty element is to close itself ("<a/>"): it did so in
  // the file, or it does not come from the file; false for "<a></a>".
  bool append(pugi::xml_node element, std::string& out);

  // The start tag as the parsed text spells it. False, with `out` as it was,
  // for an element that does not come from the text (one the layer created).
  // `closesItself` tells whether the tag ended in "/>".
  bool appendParsed(pugi::xml_node element, std::string& out, bool* closesItself = nullptr);

 private:
  // A byte that goes where the parser wrote a NUL, counted from the name.
  struct Restored {
    size_t offset;
    char byte;
  };
  void restore(ptrdiff_t offset, char byte) { restored_.push_back({static_cast<size_t>(offset), byte}); }

  const XmlDocumentState& state_;
  std::vector<Restored> restored_;
  size_t nameEndHint_ = 0;
};

// Appends '<', the name and every attribute as ` name="value"`.
void appendNewStartTag(pugi::xml_node element, std::string& out);

// The element's name and attributes as one string, to see whether they changed.
std::string startTagFingerprint(pugi::xml_node element);

}  // namespace wc
