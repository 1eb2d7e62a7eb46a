#pragma once
// The parser works in place and ends every name, value and text it reads by
// writing a NUL over the byte that followed it. Taken right after parsing,
// this record holds each byte the parser changed as the file had it, so that
// a part of the document nobody changed can be written back by copying its
// parsed text and putting these bytes back, without walking its nodes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wc {

class XmlOverwrittenBytes {
 public:
  // Starts a record of `parsed`, the text after parsing without the parser's
  // terminator.
  void start(std::string_view parsed);
  // Compares the next stretch of the text as it was before parsing; the
  // stretches come in order.
  void compare(std::string_view before);
  // Ends the record. It is usable when the stretches covered the text exactly
  // and differ from it only where the parser writes: NULs, and the '/' it
  // makes of the '?' that ends the XML declaration. A text longer than the
  // positions can hold is not recorded either.
  void finish();
  void clear();
  bool usable() const { return usable_; }

  // The original byte at a position the parser changed, or `otherwise`.
  char at(size_t position, char otherwise) const;
  // Puts the original bytes back into `out`, which holds a copy of the parsed
  // text from `begin` up to `end`.
  void restore(size_t begin, size_t end, char* out) const;

 private:
  std::vector<uint32_t> positions_;
  std::vector<char> bytes_;
  std::string_view parsed_;
  size_t compared_ = 0;
  bool failed_ = false;
  bool usable_ = false;
};

}  // namespace wc
