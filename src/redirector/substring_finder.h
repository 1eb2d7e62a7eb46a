#pragma once
// Finds every occurrence of one byte string in a large text, skipping most of
// the text unread: Horspool's search, shifting by where the last four bytes
// of the window occur in the needle (hashed), so that texts made of a few
// repeated words, like the property files, still allow long shifts.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace wc {

class SubstringFinder {
 public:
  explicit SubstringFinder(std::string_view needle);

  // The position of the first occurrence at or after `from`, or npos. An
  // empty needle is found at `from`.
  size_t find(std::string_view text, size_t from = 0) const;

 private:
  static constexpr size_t kGram = 4;
  // Shifts are bytes; a longer needle is searched by its first bytes and
  // then compared whole.
  static constexpr size_t kLongestShifted = 255;

  std::string needle_;
  size_t shifted_ = 0;                 // how many of the needle's bytes the table covers
  size_t afterMatch_ = 0;              // the shift after a window whose last gram is the needle's
  std::array<uint8_t, 4096> shift_{};  // by the hash of the window's last four bytes
};

}  // namespace wc
