#include "panel/property_lines.h"

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
  // Two memchr calls instead of a loop: the comment character is looked for
  // only before the first '='.
  if (line.empty()) return std::string_view::npos;
  const char* const begin = line.data();
  const void* equals = std::memchr(begin, '=', line.size());
  const size_t before = equals ? static_cast<size_t>(static_cast<const char*>(equals) - begin) : line.size();
  const void* comment = std::memchr(begin, commentChar, before);
  if (comment) return static_cast<size_t>(static_cast<const char*>(comment) - begin);
  return equals ? before : std::string_view::npos;
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
