// The property-file reader that the connector's edits and the check share:
// however fast it cuts and numbers the lines, and however the bytes arrive
// in pieces, it gives what the plain line model gives.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "fuzz_check.h"
#include "panel/property_lines.h"

namespace wc {

using fuzzing::check;

namespace {

// A line: its offsets in the text and the line an editor shows it on.
using Line = std::tuple<size_t, size_t, size_t>;

// The plain model, a byte at a time: a break is a maximal run of CR and LF;
// the text before the first break is a line even when empty, text after the
// last one only when not empty. An editor counts CR LF, a lone CR and a lone
// LF as one break each.
std::vector<Line> modelLines(std::string_view text) {
  std::vector<Line> lines;
  size_t number = 1;
  size_t pos = 0;
  while (pos < text.size() || lines.empty()) {
    size_t end = pos;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    if (end > pos || lines.empty()) lines.emplace_back(pos, end, number);
    if (end == text.size()) break;
    for (pos = end; pos < text.size() && (text[pos] == '\r' || text[pos] == '\n'); ++pos) {
      if (text[pos] == '\n' && pos > end && text[pos - 1] == '\r') continue;
      ++number;
    }
  }
  if (text.empty()) lines.clear();
  return lines;
}

// The plain model of a line's key and value: the first '#' before any '='
// cuts off a comment, else the first '=' splits key and value.
std::vector<PropertyEntry> modelEntries(std::string_view text) {
  std::vector<PropertyEntry> entries;
  for (const auto& [begin, end, number] : modelLines(text)) {
    const std::string_view line = text.substr(begin, end - begin);
    const size_t equals = line.find('=');
    const size_t hash = line.find('#');
    if (hash != std::string_view::npos && hash < equals) {
      if (hash > 0) entries.push_back({line.substr(0, hash), {}, number});
    } else if (equals != std::string_view::npos && equals > 0) {
      entries.push_back({line.substr(0, equals), line.substr(equals + 1), number});
    }
  }
  return entries;
}

// The cutter fed in pieces whose sizes come from the bytes themselves.
std::vector<Line> cutInPieces(std::string_view text) {
  std::vector<Line> lines;
  LineCutter cutter;
  auto onLine = [&](size_t begin, size_t end) { lines.emplace_back(begin, end, cutter.lineNumber()); };
  size_t seed = text.size();
  for (size_t pos = 0; pos < text.size();) {
    seed = seed * 31 + static_cast<unsigned char>(text[pos]);
    const size_t piece = std::min<size_t>(1 + seed % 7, text.size() - pos);
    cutter.feed(text.substr(pos, piece), onLine);
    pos += piece;
  }
  cutter.finish(onLine);
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  check(cutInPieces(text) == modelLines(text), "lines are cut and numbered as the model does, whatever the pieces");
  check(propertyEntries(text) == modelEntries(text), "the entries are those of the model");
  return 0;
}

}  // namespace wc
