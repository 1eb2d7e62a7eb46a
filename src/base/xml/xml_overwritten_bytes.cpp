#include "base/xml/xml_overwritten_bytes.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace wc {

void XmlOverwrittenBytes::start(std::string_view parsed) {
  clear();
  parsed_ = parsed;
  failed_ = parsed.size() >= std::numeric_limits<uint32_t>::max();
  // About one byte in sixteen is written over in a typical file; the room is
  // only touched as it fills.
  if (!failed_) {
    positions_.reserve(parsed.size() / 12 + 64);
    bytes_.reserve(positions_.capacity());
  }
}

void XmlOverwrittenBytes::compare(std::string_view before) {
  if (failed_ || before.size() > parsed_.size() - compared_) {
    failed_ = true;
    return;
  }
  const char* original = before.data();
  const char* parsed = parsed_.data() + compared_;
  const size_t size = before.size();
  bool expected = true;
  const auto note = [&](size_t k) {
    expected &= parsed[k] == '\0' || (parsed[k] == '/' && original[k] == '?');
    positions_.push_back(static_cast<uint32_t>(compared_ + k));
    bytes_.push_back(original[k]);
  };
  size_t i = 0;
  // Eight bytes at a time.
  for (; i + 8 <= size; i += 8) {
    uint64_t a;
    uint64_t b;
    std::memcpy(&a, original + i, 8);
    std::memcpy(&b, parsed + i, 8);
    uint64_t differ = a ^ b;
    if (differ == 0) continue;
    if constexpr (std::endian::native == std::endian::little) {
      while (differ != 0) {
        const size_t byte = static_cast<size_t>(std::countr_zero(differ)) / 8;
        note(i + byte);
        differ &= ~(uint64_t{0xFF} << (byte * 8));
      }
    } else {
      for (size_t k = i; k < i + 8; ++k) {
        if (original[k] != parsed[k]) note(k);
      }
    }
  }
  for (; i < size; ++i) {
    if (original[i] != parsed[i]) note(i);
  }
  failed_ = failed_ || !expected;
  compared_ += size;
}

void XmlOverwrittenBytes::finish() {
  if (failed_ || compared_ != parsed_.size()) {
    clear();
    return;
  }
  parsed_ = {};
  usable_ = true;
}

void XmlOverwrittenBytes::clear() {
  positions_.clear();
  positions_.shrink_to_fit();
  bytes_.clear();
  bytes_.shrink_to_fit();
  parsed_ = {};
  compared_ = 0;
  failed_ = false;
  usable_ = false;
}

char XmlOverwrittenBytes::at(size_t position, char otherwise) const {
  auto found = std::lower_bound(positions_.begin(), positions_.end(), position);
  if (found == positions_.end() || *found != position) return otherwise;
  return bytes_[static_cast<size_t>(found - positions_.begin())];
}

void XmlOverwrittenBytes::restore(size_t begin, size_t end, char* out) const {
  const size_t count = positions_.size();
  size_t i = static_cast<size_t>(std::lower_bound(positions_.begin(), positions_.end(), begin) - positions_.begin());
  for (; i < count && positions_[i] < end; ++i) out[positions_[i] - begin] = bytes_[i];
}

}  // namespace wc
