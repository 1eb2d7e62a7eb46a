#include "redirector/substring_finder.h"

#include <algorithm>
#include <cstring>

namespace wc {

namespace {

// The hash of the four bytes that end at `gramEnd`, one of 4096.
inline size_t hashOfGram(const char* gramEnd) {
  uint32_t gram;
  std::memcpy(&gram, gramEnd - 3, sizeof gram);
  return (gram * 2654435761u) >> 20;
}

}  // namespace

SubstringFinder::SubstringFinder(std::string_view needle)
    : needle_(needle), shifted_(std::min(needle.size(), kLongestShifted)) {
  if (shifted_ < kGram) return;
  // A gram that does not end anywhere in the needle lets the window move
  // until its last byte lies before the needle's first full gram.
  const size_t last = shifted_ - 1;
  const auto longest = static_cast<uint8_t>(shifted_ - kGram + 1);
  shift_.fill(longest);
  for (size_t end = kGram - 1; end < last; ++end)
    shift_[hashOfGram(needle_.data() + end)] = static_cast<uint8_t>(last - end);
  afterMatch_ = shift_[hashOfGram(needle_.data() + last)];
  shift_[hashOfGram(needle_.data() + last)] = 0;
}

size_t SubstringFinder::find(std::string_view text, size_t from) const {
  if (from > text.size() || needle_.size() > text.size() - from) return std::string_view::npos;
  if (shifted_ < kGram) return text.find(needle_, from);
  const char* const begin = text.data();
  const size_t lastStart = text.size() - needle_.size();
  for (size_t start = from; start <= lastStart;) {
    const uint8_t shift = shift_[hashOfGram(begin + start + shifted_ - 1)];
    if (shift != 0) {
      start += shift;
      continue;
    }
    if (std::memcmp(begin + start, needle_.data(), needle_.size()) == 0) return start;
    start += afterMatch_;
  }
  return std::string_view::npos;
}

}  // namespace wc
