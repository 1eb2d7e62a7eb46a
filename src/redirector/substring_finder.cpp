#include "redirector/substring_finder.h"

#include <algorithm>
#include <cstring>

namespace wc {

namespace {

// The hash of the `Gram` bytes that end at `gramEnd`, `Bits` bits wide.
template <size_t Gram, size_t Bits>
inline size_t hashOfGram(const char* gramEnd) {
  if constexpr (Gram == 8) {
    uint64_t gram;
    std::memcpy(&gram, gramEnd - 7, sizeof gram);
    return static_cast<size_t>((gram * 0x9E3779B97F4A7C15ull) >> (64 - Bits));
  } else {
    uint32_t gram;
    std::memcpy(&gram, gramEnd - 3, sizeof gram);
    return (gram * 2654435761u) >> (32 - Bits);
  }
}

}  // namespace

SubstringFinder::SubstringFinder(std::string_view needle) : SubstringFinder(std::vector<std::string_view>{needle}) {}

SubstringFinder::SubstringFinder(const std::vector<std::string_view>& needles)
    : needles_(needles.begin(), needles.end()), shifted_(kLongestShifted) {
  for (std::string_view needle : needles) shifted_ = std::min(shifted_, needle.size());
  if (shifted_ >= kLongGram) {
    fillTables<kLongGram>();
  } else if (shifted_ >= kShortGram) {
    fillTables<kShortGram>();
  }
}

template <size_t Gram>
void SubstringFinder::fillTables() {
  gram_ = Gram;
  // A gram that does not end anywhere in a needle lets the window move until
  // its last byte lies before the needles' first full gram.
  const size_t last = shifted_ - 1;
  const auto longest = static_cast<uint8_t>(shifted_ - Gram + 1);
  shift_.fill(longest);
  afterMatch_.fill(longest);
  for (const std::string& needle : needles_) {
    for (size_t end = Gram - 1; end < last; ++end) {
      const size_t hash = hashOfGram<Gram, kHashBits>(needle.data() + end);
      const auto shift = static_cast<uint8_t>(last - end);
      shift_[hash] = std::min(shift_[hash], shift);
      afterMatch_[hash] = std::min(afterMatch_[hash], shift);
    }
  }
  for (const std::string& needle : needles_) shift_[hashOfGram<Gram, kHashBits>(needle.data() + last)] = 0;
}

size_t SubstringFinder::find(std::string_view text, size_t from) const {
  if (from > text.size()) return std::string_view::npos;
  if (gram_ == kLongGram) return findFrom<kLongGram>(text, from);
  if (gram_ == kShortGram) return findFrom<kShortGram>(text, from);
  size_t first = std::string_view::npos;
  for (const std::string& needle : needles_) first = std::min(first, text.find(needle, from));
  return first;
}

template <size_t Gram>
size_t SubstringFinder::findFrom(std::string_view text, size_t from) const {
  const char* const begin = text.data();
  for (size_t start = from; start + shifted_ <= text.size();) {
    const size_t hash = hashOfGram<Gram, kHashBits>(begin + start + shifted_ - 1);
    if (shift_[hash] != 0) {
      start += shift_[hash];
      continue;
    }
    for (const std::string& needle : needles_) {
      if (needle.size() <= text.size() - start && std::memcmp(begin + start, needle.data(), needle.size()) == 0)
        return start;
    }
    start += afterMatch_[hash];
  }
  return std::string_view::npos;
}

}  // namespace wc
