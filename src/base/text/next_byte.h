#pragma once
// The next place of one byte at or after a point of a text, searched for
// again only once the point has passed it: a scan that asks for CR, LF or
// '#' at every line searches each byte once per kind, and a byte that is rare
// costs one search for the whole text.

#include <cstring>

namespace wc {

class NextByte {
 public:
  NextByte(char byte, const char* begin, const char* end) : byte_(byte), end_(end), found_(search(begin)) {}

  // The byte's first place at or after `p`, or the end of the text.
  const char* from(const char* p) {
    if (found_ < p) found_ = search(p);
    return found_;
  }

 private:
  const char* search(const char* p) const {
    const void* hit = p < end_ ? std::memchr(p, byte_, static_cast<size_t>(end_ - p)) : nullptr;
    return hit ? static_cast<const char*>(hit) : end_;
  }

  char byte_;
  const char* end_;
  const char* found_;
};

}  // namespace wc
