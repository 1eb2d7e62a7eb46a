#pragma once
// Finds every occurrence of one or several byte strings in a large text,
// skipping most of the text unread: Horspool's search, shifting by where the
// last eight bytes of the window (four for needles shorter than eight) occur
// in the needles (hashed), so that texts made of a few repeated words, like
// the property files, still allow long shifts: a window ending inside a host
// name other than the needle's is seldom a gram of the needle. Several needles share one pass (the shift is the
// smallest any of them allows), so that a search for them costs about what one search does.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wc {

class SubstringFinder {
 public:
  explicit SubstringFinder(std::string_view needle);
  // At least one needle.
  explicit SubstringFinder(const std::vector<std::string_view>& needles);

  // The position of the first occurrence of a needle at or after `from`, or
  // npos. An empty needle is found at `from`.
  size_t find(std::string_view text, size_t from = 0) const;
  // The same, counting only occurrences at the start of a line (at 0 or
  // right after an LF): the text is walked line by line and each line's first
  // bytes are hashed once, which in a text of many short lines that all look
  // alike, like the property files, costs less than searching.
  size_t findAtLineStart(std::string_view text, size_t from = 0) const;

 private:
  static constexpr size_t kShortGram = 4;
  static constexpr size_t kLongGram = 8;
  static constexpr size_t kHashBits = 13;
  // Shifts are bytes; a longer needle is searched by its first bytes and
  // then compared whole.
  static constexpr size_t kLongestShifted = 255;

  template <size_t Gram>
  void fillTables();
  template <size_t Gram>
  size_t findFrom(std::string_view text, size_t from) const;

  // The hash of the first `shifted_` bytes at `at`.
  uint64_t hashOfStart(const char* at) const;

  std::vector<std::string> needles_;
  std::vector<uint64_t> startHashes_;  // of each needle's first `shifted_` bytes
  size_t shifted_ = 0;                 // how many bytes of each needle the tables cover (of the shortest)
  size_t gram_ = 0;                    // the length of the grams hashed; 0 for a plain search
  // By the hash of the window's last gram: the shift, 0 where a needle's
  // covered bytes end with it; and the shift after such a window when no
  // needle is there.
  std::array<uint8_t, size_t{1} << kHashBits> shift_{};
  std::array<uint8_t, size_t{1} << kHashBits> afterMatch_{};
};

}  // namespace wc
