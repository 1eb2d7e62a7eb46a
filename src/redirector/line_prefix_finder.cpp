#include "redirector/line_prefix_finder.h"

#include <algorithm>
#include <cstring>

namespace wc {

LinePrefixFinder::LinePrefixFinder(const std::vector<std::string_view>& prefixes)
    : prefixes_(prefixes.begin(), prefixes.end()) {
  hashed_ = prefixes_.empty() ? 0 : prefixes_.front().size();
  for (const std::string& prefix : prefixes_) hashed_ = std::min(hashed_, prefix.size());
  for (const std::string& prefix : prefixes_) hashes_.push_back(hashOf(prefix.data()));
}

uint64_t LinePrefixFinder::hashOf(const char* at) const {
  uint64_t hash = hashed_;
  size_t i = 0;
  for (; i + 8 <= hashed_; i += 8) {
    uint64_t word;
    std::memcpy(&word, at + i, sizeof word);
    hash = (hash ^ word) * 0x9E3779B97F4A7C15ull;
  }
  for (; i < hashed_; ++i) hash = (hash ^ static_cast<unsigned char>(at[i])) * 0x100000001B3ull;
  return hash;
}

size_t LinePrefixFinder::find(std::string_view text, size_t from) const {
  if (from > text.size()) return std::string_view::npos;
  const char* const begin = text.data();
  size_t at = from;
  while (true) {
    if (at == 0 || begin[at - 1] == '\n') {
      if (at + hashed_ <= text.size()) {
        const uint64_t hash = hashOf(begin + at);
        for (size_t k = 0; k < prefixes_.size(); ++k) {
          const std::string& prefix = prefixes_[k];
          if (hashes_[k] == hash && prefix.size() <= text.size() - at &&
              std::memcmp(begin + at, prefix.data(), prefix.size()) == 0)
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
