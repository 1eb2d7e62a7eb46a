#pragma once
// The parser works in place: it ends every name it reads (of an element, an
// attribute, a processing instruction) by writing a NUL over the byte that
// followed the name. That byte was a blank in most start tags; the others (a
// tab or line break, '>' or '/' after an element name, '=' after an attribute
// name) are recorded here before parsing, or can be told from what follows, so
// that the spelling of a start tag and the lines of the text can be recovered
// from the parsed text without keeping a copy of it.

#include <cstddef>
#include <string>
#include <vector>

namespace wc {

class XmlNameEnds {
 public:
  // Positions must rise from call to call.
  void note(size_t position, char byte) {
    positions_.push_back(position);
    bytes_.push_back(byte);
  }
  // The byte noted at the position, or `otherwise`.
  char at(size_t position, char otherwise) const;
  // The same for callers that ask about rising positions: `hint` (0 at
  // first) carries where the last answer was found.
  char at(size_t position, char otherwise, size_t& hint) const;
  void clear();
  void shrinkToFit();

 private:
  std::vector<size_t> positions_;
  std::string bytes_;
};

}  // namespace wc
