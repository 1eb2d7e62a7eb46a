#include "base/xml/xml_name_ends.h"

#include <algorithm>

namespace wc {

char XmlNameEnds::at(size_t position, char otherwise) const {
  auto found = std::lower_bound(positions_.begin(), positions_.end(), position);
  if (found == positions_.end() || *found != position) return otherwise;
  return bytes_[static_cast<size_t>(found - positions_.begin())];
}

char XmlNameEnds::at(size_t position, char otherwise, size_t& hint) const {
  size_t i = hint <= positions_.size() && (hint == 0 || positions_[hint - 1] < position) ? hint : 0;
  // The next position asked is usually close by.
  for (int steps = 0; i < positions_.size() && positions_[i] < position && steps < 4; ++steps) ++i;
  if (i < positions_.size() && positions_[i] < position) {
    i = static_cast<size_t>(
        std::lower_bound(positions_.begin() + static_cast<ptrdiff_t>(i), positions_.end(), position) -
        positions_.begin());
  }
  hint = i;
  return i < positions_.size() && positions_[i] == position ? bytes_[i] : otherwise;
}

void XmlNameEnds::clear() {
  positions_.clear();
  bytes_.clear();
}

void XmlNameEnds::shrinkToFit() {
  positions_.shrink_to_fit();
  bytes_.shrink_to_fit();
}

}  // namespace wc
