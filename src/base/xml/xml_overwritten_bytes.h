#pragma once
// The parser works in place and ends every name, value and text it reads by
// writing a NUL over the byte that followed it. Taken right after parsing,
// this record holds each byte the parser changed as the file had it, so that a part of
// the document nobody changed can be written back by copying its parsed text
// and putting these bytes back, without walking its nodes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class XmlOverwrittenBytes {
 public:
  // Compares the text before parsing with the same text after it (the parser's
  // terminator after the end is not part of `before`). The record stays
  // unusable for a text longer than its positions can hold.
  void record(std::string_view before, std::string_view after);
  void clear();
  bool usable() const { return usable_; }

  // The original byte at a position the parser changed, or `otherwise`.
  char at(size_t position, char otherwise) const;
  // Puts the original bytes back into `out`, which holds a copy of the parsed
  // text from `begin` up to `end`.
  void restore(size_t begin, size_t end, char* out) const;

 private:
  std::vector<uint32_t> positions_;
  std::string bytes_;
  bool usable_ = false;
};
