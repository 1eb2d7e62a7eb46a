#include "panel/property_lines.h"

#include <algorithm>

namespace wc {

void LineSplitter::feed(std::string_view bytes) {
  pending_.append(bytes);
  cutter_.feed(bytes, [this](size_t begin, size_t end) { emit(begin, end); });
  // Only the text of the line still being gathered is kept.
  const size_t keep = cutter_.pendingStart();
  pending_.erase(0, keep - pendingBase_);
  pendingBase_ = keep;
}

void LineSplitter::finish() {
  cutter_.finish([this](size_t begin, size_t end) { emit(begin, end); });
  pending_.clear();
  pendingBase_ = cutter_.pendingStart();
}

size_t propertySeparator(std::string_view line, char commentChar) {
  const char* const begin = line.data();
  const char* const end = begin + line.size();
  // The first '=' or comment character: the comment character counts only
  // before the first '='. The usual one is searched with the other at once.
  const char* const cut = commentChar == '#'
                              ? firstOfBytes<'=', '#'>(begin, end)
                              : std::find_if(begin, end, [&](char c) { return c == '=' || c == commentChar; });
  return cut == end ? std::string_view::npos : static_cast<size_t>(cut - begin);
}

std::vector<PropertyEntry> propertyEntries(std::string_view text) {
  std::vector<PropertyEntry> entries;
  // Room for lines of 32 bytes on average, a mount line's half: the entries
  // are mostly not moved as they grow.
  entries.reserve(text.size() / 32 + 1);
  forEachPropertyEntry(text, [&entries](const PropertyEntry& entry) { entries.push_back(entry); });
  return entries;
}

void LineSplitter::emit(size_t begin, size_t end) { lines_.emplace_back(pending_, begin - pendingBase_, end - begin); }

}  // namespace wc
