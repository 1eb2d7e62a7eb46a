#include "base/xml/xml_overwritten_bytes.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

void XmlOverwrittenBytes::record(std::string_view before, std::string_view after) {
  clear();
  if (after.size() < before.size() || before.size() >= std::numeric_limits<uint32_t>::max()) return;
  const char* original = before.data();
  const char* parsed = after.data();
  const size_t size = before.size();
  // About one byte in sixteen was written over in a typical file.
  size_t count = 0;
  positions_.resize(size / 12 + 64);
  bytes_.resize(positions_.size());
  const auto note = [&](size_t i) {
    if (count == positions_.size()) {
      positions_.resize(count * 2);
      bytes_.resize(count * 2);
    }
    positions_[count] = static_cast<uint32_t>(i);
    bytes_[count] = original[i];
    ++count;
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
        const int bit = std::countr_zero(differ);
        note(i + static_cast<size_t>(bit / 8));
        differ &= ~(uint64_t{0xFF} << (bit / 8 * 8));
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
  positions_.resize(count);
  bytes_.resize(count);
  positions_.shrink_to_fit();
  bytes_.shrink_to_fit();
  usable_ = true;
}

void XmlOverwrittenBytes::clear() {
  positions_.clear();
  positions_.shrink_to_fit();
  bytes_.clear();
  bytes_.shrink_to_fit();
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
