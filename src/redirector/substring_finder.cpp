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
  for (const std::string& needle : needles_) startHashes_.push_back(hashOfStart(needle.data()));
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

uint64_t SubstringFinder::hashOfStart(const char* at) const {
  uint64_t hash = shifted_;
  size_t i = 0;
  for (; i + 8 <= shifted_; i += 8) {
    uint64_t word;
    std::memcpy(&word, at + i, sizeof word);
    hash = (hash ^ word) * 0x9E3779B97F4A7C15ull;
  }
  for (; i < shifted_; ++i) hash = (hash ^ static_cast<unsigned char>(at[i])) * 0x100000001B3ull;
  return hash;
}

size_t SubstringFinder::findAtLineStart(std::string_view text, size_t from) const {
  if (from > text.size()) return std::string_view::npos;
  const char* const begin = text.data();
  size_t at = from;
  while (true) {
    if (at == 0 || begin[at - 1] == '\n') {
      if (at + shifted_ <= text.size()) {
        const uint64_t hash = hashOfStart(begin + at);
        for (size_t k = 0; k < needles_.size(); ++k) {
          const std::string& needle = needles_[k];
          if (startHashes_[k] == hash && needle.size() <= text.size() - at &&
              std::memcmp(begin + at, needle.data(), needle.size()) == 0)
            return at;
        }
      }
      if (at == text.size()) return std::string_view::npos;
    }
    const void* lineEnd = std::memchr(begin + at, '\n', text.size() - at);
    if (!lineEnd) return std::string_view::npos;
    at = static_cast<size_t>(static_cast<const char*>(lineEnd) - begin) + 1;
  }
}

}  // namespace wc
