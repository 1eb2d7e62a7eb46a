#pragma once
// Finds the lines of a text that begin with one of several byte strings (the
// prefixes): the text is walked line by line, and each line's first bytes, as
// many as the shortest prefix has, are hashed once and compared with the
// prefixes' hashes. In a text of many short lines that look alike, like the
// property files, where a search for the prefixes meets their words
// ("example", ".net/") at every line, this reads each byte about once.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wc {

class LinePrefixFinder {
 public:
  // At least one prefix.
  explicit LinePrefixFinder(const std::vector<std::string_view>& prefixes);

  // The first start of a line (0, or right after an LF) at or after `from`
  // where one of the prefixes begins, or npos. An empty prefix begins every
  // line.
  size_t find(std::string_view text, size_t from = 0) const;

 private:
  // The hash of the `hashed_` bytes at `at`.
  uint64_t hashOf(const char* at) const;

  std::vector<std::string> prefixes_;
  std::vector<uint64_t> hashes_;  // of each prefix's first `hashed_` bytes
  size_t hashed_ = 0;             // the length of the shortest prefix
};

}  // namespace wc
